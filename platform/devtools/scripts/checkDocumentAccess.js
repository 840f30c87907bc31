// this: a window; throws when its document may not be read from here.
function checkDocumentAccess() {
  void this.document.URL;
  return true;
}
