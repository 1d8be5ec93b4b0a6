#!/usr/bin/env python3
"""Prints a deb-src line for bookworm main built from apt's own configuration,
so the source index uses the same mirror and keyring option as the binaries."""
import glob, re, sys

def from_deb822():
    for path in sorted(glob.glob('/etc/apt/sources.list.d/*.sources')):
        for stanza in re.split(r'\n\s*\n', open(path).read()):
            fields = {}
            for line in stanza.splitlines():
                m = re.match(r'^([A-Za-z-]+):\s*(.*)$', line)
                if m:
                    fields[m.group(1).lower()] = m.group(2).strip()
            if 'deb' not in fields.get('types', '').split():
                continue
            suites = fields.get('suites', '').split()
            if 'bookworm' not in suites:
                continue
            uri = fields.get('uris', '').split()[0]
            opt = f" [signed-by={fields['signed-by']}]" if fields.get('signed-by') else ''
            return f'deb-src{opt} {uri} bookworm main'
    return None

def from_list():
    for path in ['/etc/apt/sources.list'] + sorted(glob.glob('/etc/apt/sources.list.d/*.list')):
        try:
            lines = open(path).read().splitlines()
        except OSError:
            continue
        for line in lines:
            m = re.match(r'^deb\s+(\[[^\]]*\]\s+)?(\S+)\s+bookworm\s', line)
            if m:
                return f"deb-src {m.group(1) or ''}{m.group(2)} bookworm main".replace('  ', ' ')
    return None

line = from_deb822() or from_list()
if not line:
    sys.exit(1)
print(line)
