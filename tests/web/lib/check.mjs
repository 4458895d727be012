// A test file's checks: each one named, printed as it is made; the process
// ends with status 1 when any failed.
let failures = 0;

export function check(name, ok, detail = '') {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${name}${detail ? `: ${detail}` : ''}`);
  if (!ok)
    ++failures;
  return ok;
}

export function failed() { return failures; }

// What to print when the test fails (the page's console, say).
const diagnostics = [];
export function onFailure(report) { diagnostics.push(report); }

// Runs the test's body, then ends the process: status 1 on a failed check
// or an exception, 0 otherwise.
export async function runTest(name, body) {
  const started = Date.now();
  try {
    await body();
  } catch (e) {
    check(`${name} ran to its end`, false, e.stack || String(e));
  }
  if (failures)
    for (const report of diagnostics)
      console.log(report());
  console.log(`${name}: ${failures ? `${failures} failed` : 'passed'} in ${((Date.now() - started) / 1000).toFixed(1)} s`);
  process.exit(failures ? 1 : 0);
}
