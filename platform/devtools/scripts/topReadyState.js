function topReadyState() {
  return document.readyState;
}
