// A small client of classic W3C WebDriver (HTTP and JSON): the driver
// started on a free port of the loopback interface, one session, and the
// commands the tests use.
import { createServer } from 'node:net';

import { endOwned, spawnOwned, waitFor } from '../processes.mjs';

function freePort() {
  return new Promise((resolve, reject) => {
    const server = createServer();
    server.once('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

export async function startDriver(binary, env) {
  const port = await freePort();
  const child = spawnOwned(binary, [`--port=${port}`], { env, stdio: ['ignore', 'ignore', 'pipe'] });
  let log = '';
  child.stderr.on('data', (d) => (log = (log + d).slice(-4000)));
  const base = `http://127.0.0.1:${port}`;

  async function command(method, path, body) {
    const response = await fetch(base + path, {
      method,
      headers: { 'Content-Type': 'application/json; charset=utf-8' },
      body: body === undefined ? undefined : JSON.stringify(body),
    });
    const answer = await response.json();
    if (!response.ok)
      throw new Error(`WebDriver ${method} ${path}: ${answer.value ? `${answer.value.error}: ${answer.value.message}` : response.status}`);
    return answer.value;
  }
  await waitFor(`${binary} answering on port ${port}`, async () => {
    if (child.exitCode !== null)
      throw new Error(`${binary} ended:\n${log}`);
    return command('GET', '/status').then((s) => (s.ready ? true : undefined), () => undefined);
  }, 120000);

  return {
    log: () => log,
    async newSession(capabilities) {
      const answer = await command('POST', '/session', { capabilities: { alwaysMatch: capabilities } });
      const session = (method, path, body) => command(method, `/session/${answer.sessionId}${path}`, body);
      session.capabilities = answer.capabilities;
      session.end = () => command('DELETE', `/session/${answer.sessionId}`);
      return session;
    },
    close: () => endOwned(child),
  };
}

// An element reference's id, as a command answers it.
export const elementId = (reference) => reference['element-6066-11e4-a52e-4f735466cecf'];

// The keys' code points (the WebDriver standard's table).
export const keyValues = { Escape: '\uE00C', Enter: '\uE007', F1: '\uE031', Space: ' ', KeyK: 'k', KeyJ: 'j', KeyL: 'l', Digit0: '0' };
