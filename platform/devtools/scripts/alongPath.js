// Runs fn on the object reached from `this` along path (property keys), with
// the remaining arguments.
function alongPath(fn, path, ...args) {
  let target = this;
  for (const key of path) target = target == null ? target : target[key];
  if (target == null) throw new Error('ostrel:-2147417848');
  return fn.apply(target, args);
}
