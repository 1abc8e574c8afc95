#!/usr/bin/env python3
"""Checks that compare_cli.py --list hands its whole listing through a pipe, with
PYTHONUNBUFFERED=1, while it runs kavrin-cli in its threads. The kernel cuts a long write to a
pipe short when a signal arrives while the writer waits for room, as SIGCHLD does when a child
ends at the wrong moment; the writer must write the rest. Read slowly from a pipe, with SIGCHLD
sent now and then, the listing must equal the listing written to a file, byte for byte.

    listing_check.py KAVRIN_CLI
"""
import os
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
LIST = ["--list", "--seed", "20261208", "--count", "60"]  # 2.8 MB, lines of up to 1 MB

# compare_cli.py with a handler for SIGCHLD that does nothing: the signal then interrupts a
# waiting write every time. Ignored without the handler, it is harmless before and after.
WITH_HANDLER = """
import signal, sys
sys.path.insert(0, sys.argv[1])
import compare_cli
signal.signal(signal.SIGCHLD, lambda number, frame: None)
sys.argv = ["compare_cli.py", *sys.argv[2:]]
sys.exit(compare_cli.main())
"""


def main():
    cli = sys.argv[1]
    environment = dict(os.environ, PYTHONUNBUFFERED="1")
    with tempfile.TemporaryFile() as file:
        subprocess.run([sys.executable, os.path.join(HERE, "compare_cli.py"), *LIST, cli],
                       stdout=file, env=environment, check=True)
        file.seek(0)
        expected = file.read()
    piped = bytearray()
    command = [sys.executable, "-c", WITH_HANDLER, HERE, *LIST, cli]
    with subprocess.Popen(command, stdout=subprocess.PIPE, env=environment) as writer:
        # The pipe stays full, so the writer mostly waits for room when the signal comes.
        while chunk := writer.stdout.read1(1 << 16):
            piped += chunk
            writer.send_signal(signal.SIGCHLD)
            time.sleep(0.005)
    if writer.returncode != 0:
        print(f"compare_cli.py --list exited with {writer.returncode}")
        return 1
    if piped != expected:
        same = len(os.path.commonprefix([bytes(piped), expected]))
        print(f"through a pipe {len(piped)} bytes, to a file {len(expected)}; "
              f"the first {same} bytes agree")
        return 1
    lines = expected.count(b"\n")
    print(f"{len(expected)} bytes in {lines} lines, the same through a pipe and to a file")
    return 0


if __name__ == "__main__":
    sys.exit(main())
