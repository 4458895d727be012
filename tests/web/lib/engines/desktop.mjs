// What a browser that needs a screen gets from the test: its own Xvfb, its
// own PulseAudio null sink, and a home of its own (caches, settings), so
// that nothing of the user's desktop, sound server or home is used or
// changed; all of it ended with the browser.
import { mkdtempSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

import { ownFolder } from '../processes.mjs';
import { startPulse } from '../pulse.mjs';
import { startWindowManager, startXvfb } from '../xvfb.mjs';

// screen: [width, height] in device pixels; windowManager: openbox on it.
export async function startDesktop(screen, { windowManager = false } = {}) {
  const home = ownFolder(mkdtempSync(join(tmpdir(), 'elka-browser-home-')));
  const xvfb = await startXvfb(...screen);
  let pulse, wm;
  try {
    pulse = await startPulse();
    if (windowManager)
      wm = await startWindowManager(xvfb.display, { ...process.env, HOME: home, XDG_CONFIG_HOME: join(home, '.config') });
  } catch (e) {
    if (pulse)
      await pulse.close();
    await xvfb.close();
    throw e;
  }
  const env = { ...process.env, DISPLAY: xvfb.display, PULSE_SERVER: pulse.server, HOME: home,
                XDG_CONFIG_HOME: join(home, '.config'), XDG_CACHE_HOME: join(home, '.cache'),
                XDG_DATA_HOME: join(home, '.local/share'), XDG_RUNTIME_DIR: home,
                // No session bus and no accessibility bus: nothing to start or find outside.
                DBUS_SESSION_BUS_ADDRESS: 'disabled:', NO_AT_BRIDGE: '1' };
  delete env.WAYLAND_DISPLAY;
  return {
    env,
    sound: pulse,
    async close() {
      if (wm)
        await wm.close();
      await pulse.close();
      await xvfb.close();
    },
  };
}
