// this: an array made by ostrelPack; its snapshot's JSON text.
function readSnapshot() {
  return this.ostrelSnapshot;
}
