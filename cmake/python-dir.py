"""Prints the folder, relative to the install prefix given as the argument,
where this interpreter looks for packages installed under that prefix.

Debian's schemes: /usr is the system's (deb_system: lib/python3/
dist-packages), /usr/local the administrator's (posix_local:
lib/python3.X/dist-packages), the user base (~/.local) the user's
(posix_user: lib/python3.X/site-packages). Any other prefix gets Python's
plain layout (posix_prefix: lib/python3.X/site-packages), which is what a
virtual environment made at that prefix reads; elsewhere it must be put on
PYTHONPATH.
"""
import os
import site
import sys
import sysconfig


def scheme_for(prefix):
    real = os.path.realpath(prefix)
    schemes = sysconfig.get_scheme_names()
    candidates = [
        ("deb_system", "/usr"),
        ("posix_local", "/usr/local"),
        ("posix_user", site.getuserbase()),
    ]
    for scheme, base in candidates:
        if scheme in schemes and os.path.realpath(base) == real:
            return scheme
    return "posix_prefix"


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: python-dir.py PREFIX")
    scheme = scheme_for(sys.argv[1])
    # The package folder relative to the scheme's own prefix (its "data"
    # path), so that only the prefix is put before it.
    purelib = sysconfig.get_path("purelib", scheme)
    data = sysconfig.get_path("data", scheme)
    print(os.path.relpath(purelib, data))


main()
