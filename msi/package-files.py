#!/usr/bin/env python3
"""Writes the WiX fragment that installs a driver-package folder into INSTALLDIR.

  package-files.py UPGRADE_CODE PACKAGE_DIR SOURCE_PREFIX > PackageFiles.wxs

One component per file (its key path), under directories named as in the folder, gathered in
the component group PackageFiles. Each file's source is SOURCE_PREFIX and its path inside the
package: wixl 0.101 takes relative sources only, from its current folder. Every identifier and component GUID is derived from the
file's path inside the package, so the same folder always gives the same fragment and a file
keeps its component from one version to the next, as Windows Installer's component rules ask.
"""
import hashlib
import os
import sys
import uuid
from xml.sax.saxutils import quoteattr


def ident(kind, relative):
    # Windows compares file names without case: so do the identifiers.
    digest = hashlib.sha256(relative.lower().encode('utf-8')).hexdigest()[:32].upper()
    return f'{kind}{digest}'


def main():
    if len(sys.argv) != 4:
        raise SystemExit(__doc__)
    prefix = sys.argv[3]
    namespace = uuid.UUID(sys.argv[1])
    root = os.path.abspath(sys.argv[2])
    if not os.path.isfile(os.path.join(root, 'PrinterSetup.exe')):
        raise SystemExit(f'{root}: no PrinterSetup.exe: not a driver package folder')

    lines = ['<?xml version="1.0" encoding="utf-8"?>',
             '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">',
             '  <Fragment>',
             '    <DirectoryRef Id="INSTALLDIR">']
    components = []

    def walk(folder, relative, depth):
        indent = '  ' * depth
        entries = sorted(os.listdir(folder), key=lambda name: (name.lower(), name))
        for name in entries:
            path = os.path.join(folder, name)
            rel = f'{relative}\\{name}' if relative else name
            if not name.isascii():
                # wixl 0.101 crashes on text outside ASCII: say which name rather than crash.
                raise SystemExit(f'{rel}: wixl cannot package a name outside ASCII')
            if os.path.isdir(path):
                lines.append(f'{indent}<Directory Id="{ident("dir", rel)}" Name={quoteattr(name)}>')
                walk(path, rel, depth + 1)
                lines.append(f'{indent}</Directory>')
            elif os.path.isfile(path):
                # The program's component has a name: the package's own table rows refer to it.
                component = 'ProgramComponent' if rel.lower() == 'printersetup.exe' else ident('cmp', rel)
                guid = str(uuid.uuid5(namespace, 'component:' + rel.lower())).upper()
                lines.append(f'{indent}<Component Id="{component}" Guid="{guid}">')
                lines.append(f'{indent}  <File Id="{ident("fil", rel)}" Name={quoteattr(name)} '
                             f'Source={quoteattr(prefix + rel.replace(chr(92), "/"))} KeyPath="yes"/>')
                lines.append(f'{indent}</Component>')
                components.append(component)

    walk(root, '', 3)
    if not components:
        raise SystemExit(f'{root}: no files')
    lines += ['    </DirectoryRef>',
              '  </Fragment>',
              '  <Fragment>',
              '    <ComponentGroup Id="PackageFiles">']
    lines += [f'      <ComponentRef Id="{component}"/>' for component in components]
    lines += ['    </ComponentGroup>',
              '  </Fragment>',
              '</Wix>']
    sys.stdout.write('\n'.join(lines) + '\n')


if __name__ == '__main__':
    main()
