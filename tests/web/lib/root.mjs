// The repository's root, from where this file sits (tests/web/lib).
import { fileURLToPath } from 'node:url';
import { createRequire } from 'node:module';

export const repoRoot = fileURLToPath(new URL('../../..', import.meta.url)).replace(/\/$/, '');

// A package from the repository's node_modules.
export const requirePackage = (name) => createRequire(import.meta.url)(`${repoRoot}/node_modules/${name}`);
