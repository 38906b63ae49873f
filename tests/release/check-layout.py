#!/usr/bin/env python3
"""Checks that every include of ours points down the layers: app -> ui -> (win, install),
app -> install -> ports -> system, that system/ includes nothing of ours outside itself, and
that win/ includes only system/, the helpers every room shares. Prints one "ok"/"FAIL" line
per folder and exits non-zero on any wrong include."""
import pathlib
import re
import sys

ROOT = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parents[2])
# What each folder may include of ours besides itself; res/ holds only resource IDs.
ALLOWED = {
    'app': {'ui', 'win', 'install', 'ports', 'system', 'res'},
    'ui': {'win', 'install', 'ports', 'system', 'res'},
    'install': {'ports', 'system'},
    'ports': {'system'},
    'system': set(),
    'win': {'system'},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^/"]+)/[^"]+"', re.M)

failed = False
for folder, allowed in ALLOWED.items():
    wrong = []
    for path in sorted((ROOT / folder).glob('*')):
        if path.suffix not in ('.h', '.cpp', '.c'):
            continue
        for target in INCLUDE.findall(path.read_text(encoding='utf-8', errors='replace')):
            if target != folder and target not in allowed:
                wrong.append(f'{path.relative_to(ROOT)} includes {target}/')
    if wrong:
        failed = True
        print(f'FAIL {folder}/ includes only what lies below it: ' + '; '.join(wrong))
    else:
        print(f'ok {folder}/ includes only what lies below it')
sys.exit(1 if failed else 0)
