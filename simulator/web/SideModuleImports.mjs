// Lists what the page's side modules import from the main module, as the
// main module's export list for emcc (-sEXPORTED_FUNCTIONS=@FILE): every
// function they call by name, and every function and data symbol they reach
// through their global offset tables (the SDK's typeinfo among them, which
// must be the main module's own for its dynamic_cast to see a plug-in's
// settings window). The build makes it anew from the built modules, so it
// never goes stale. A module's own symbols are in the list too; the main
// module leaves out what it does not define. invoke_ functions are made by
// emscripten's loader as modules ask for them.
//
// Usage: node SideModuleImports.mjs OUT.json MODULE.so...
import { readFileSync, writeFileSync } from 'node:fs';

const [out, ...modules] = process.argv.slice(2);
const names = new Set();
for (const file of modules) {
  for (const { module, kind, name } of WebAssembly.Module.imports(new WebAssembly.Module(readFileSync(file)))) {
    const linked = (module === 'env' && kind === 'function') || module === 'GOT.mem' || module === 'GOT.func';
    if (linked && !name.startsWith('invoke_')) names.add('_' + name);  // emcc's names of C symbols
  }
}
writeFileSync(out, JSON.stringify([...names].sort(), null, 0) + '\n');
