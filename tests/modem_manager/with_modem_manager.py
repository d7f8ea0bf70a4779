#!/usr/bin/python3
'''Runs a command beside a ModemManager stand-in that answers as the demo bank does, on a private bus named as the
system bus (DBUS_SYSTEM_BUS_ADDRESS):

    with_modem_manager.py TEMPLATE -- COMMAND [ARGS...]

Ends with the command's status; 77 (a skip for CTest) only when dbus-daemon or python3-dbusmock is missing.'''

import json
import os
import subprocess
import sys
import time

MISSING = 77


def main():
    separator = sys.argv.index('--')
    template, command = sys.argv[1], sys.argv[separator + 1:]
    try:
        import dbus  # pylint: disable=import-outside-toplevel
        import dbusmock  # noqa: F401 pylint: disable=import-outside-toplevel,unused-import
    except ImportError:
        print('python3-dbusmock is not installed for ' + sys.executable + ' (scripts/install-deps installs it)')
        return MISSING
    try:
        bus = subprocess.Popen(['dbus-daemon', '--session', '--nofork', '--print-address'], stdout=subprocess.PIPE,
                               text=True)
    except FileNotFoundError:
        print('dbus-daemon is not installed (Debian package dbus; scripts/install-deps installs it)')
        return MISSING
    mock = None
    try:
        address = bus.stdout.readline().strip()
        env = dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=address)
        mock = subprocess.Popen([sys.executable, '-m', 'dbusmock', '--system', '--template', template, '-p',
                                 json.dumps({'bank': True})], env=env)
        connection = dbus.bus.BusConnection(address)
        deadline = time.monotonic() + 20
        while not connection.name_has_owner('org.freedesktop.ModemManager1'):
            if time.monotonic() > deadline or mock.poll() is not None:
                print('the ModemManager stand-in did not come up')
                return 1
            time.sleep(0.05)
        return subprocess.call(command, env=env)
    finally:
        for process in (mock, bus):
            if process:
                process.kill()
                process.wait()


if __name__ == '__main__':
    sys.exit(main())
