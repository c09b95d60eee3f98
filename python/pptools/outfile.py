"""An output put in place only when whole, as the core's .vtu writer puts
its own: written into a folder of its own beside the file's place (links
followed to their end), then renamed onto it with the files a writer puts
beside it (.ele, .h5). A fault or an interrupt leaves the earlier file as it
was, and no part of the new one. A device or a pipe is written where it is
and never removed.

It imports nothing of meshio: ppt-preview, which draws DXF drawings without
meshio, loads this file alone.
"""

import contextlib
import os
import shutil
import signal
import stat
import tempfile

# The signals that end a run (as Ctrl-C does): held while the output is put
# in place and what was written beside it goes.
_ENDING = {getattr(signal, name) for name in ("SIGINT", "SIGTERM", "SIGHUP") if hasattr(signal, name)}


def _stop(signum, frame):
    raise KeyboardInterrupt


def end_as_interrupt():
    """SIGTERM and SIGHUP end a tool's run as Ctrl-C does (KeyboardInterrupt),
    so that what it began writing goes; a caller's own handlers stay."""
    for number in _ENDING - {signal.SIGINT}:
        try:
            if signal.getsignal(number) == signal.SIG_DFL:
                signal.signal(number, _stop)
        except ValueError:  # called outside the main thread: the caller's signals
            break


@contextlib.contextmanager
def _held():
    try:
        old = signal.pthread_sigmask(signal.SIG_BLOCK, _ENDING)
    except (AttributeError, ValueError, OSError):  # no signal masks here
        old = None
    try:
        yield
    finally:
        if old is not None:
            signal.pthread_sigmask(signal.SIG_SETMASK, old)


@contextlib.contextmanager
def staged(path):
    """Yields the path to write `path` under; when the block ends without a
    fault, what was written there is put in place. A writable file in a
    folder that is not is written in place."""
    real = os.path.realpath(path)
    try:
        mode = os.stat(real).st_mode
    except OSError:
        mode = None
    folder = None
    try:
        if mode is None or stat.S_ISREG(mode):
            with _held():  # made and known, or neither
                try:
                    folder = tempfile.mkdtemp(prefix=".pptools-", dir=os.path.dirname(real))
                except OSError:
                    folder = None
        yield os.path.join(folder, os.path.basename(real)) if folder else path
        if folder:
            with _held():
                for name in sorted(os.listdir(folder)):
                    made = os.path.join(folder, name)
                    if name == os.path.basename(real) and mode is not None:
                        shutil.copymode(real, made)
                    os.replace(made, os.path.join(os.path.dirname(real), name))
    finally:
        if folder:
            with _held():
                shutil.rmtree(folder, ignore_errors=True)

