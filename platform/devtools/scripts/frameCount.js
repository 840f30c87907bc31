function frameCount() {
  return this.length;
}
