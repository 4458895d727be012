// elka-capture's chapter table: scene, first frame, start seconds, title;
// the last row, "end", holds the frame count.

export function parseChapters(text) {
  const lines = text.split('\n').filter((line) => line !== '');
  if (lines[0] !== 'scene\tfirst_frame\tstart_seconds\ttitle')
    throw new Error(`not a chapter table: ${lines[0]}`);
  const rows = lines.slice(1).map((line) => {
    const [scene, first, start, title = ''] = line.split('\t');
    if (!/^\d+$/.test(first))
      throw new Error(`chapter row without a first frame: ${line}`);
    return { scene, first: Number(first), start: Number(start), title };
  });
  const end = rows.pop();
  if (!end || end.scene !== 'end')
    throw new Error('the chapter table has no end row');
  for (let i = 1; i < rows.length; ++i)
    if (rows[i].first <= rows[i - 1].first)
      throw new Error(`scene ${rows[i].scene} does not start after scene ${rows[i - 1].scene}`);
  // Each scene with the frame after its last one.
  const scenes = rows.map((row, i) => ({ ...row, next: i + 1 < rows.length ? rows[i + 1].first : end.first }));
  return { scenes, frames: end.first };
}

// The scene frame n belongs to.
export function sceneOfFrame(chapters, n) {
  return chapters.scenes.find((s) => s.first <= n && n < s.next) || null;
}

// Seconds written so that floor(seconds * fps + 1e-9) is frame n.
export function secondsOfFrame(n, fps) { return Number((n / fps).toFixed(6)); }
