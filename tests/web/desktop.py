"""What Firefox and WebKitGTK need around them, of the test's own: an Xvfb (WebGL on
Mesa's llvmpipe through GLX) and a PulseAudio with one null sink, whose monitor tells
whether sound came out. Both end with the test, also when the test is killed."""
import array
import ctypes
import os
import select
import signal
import subprocess

from browser import WAIT_FACTOR, wait_until

SINK = "kessivar"


def _end_with_parent():
    ctypes.CDLL("libc.so.6").prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def spawn(command, log, env=None, **kwargs):
    """A child process that gets SIGTERM when the test process dies."""
    return subprocess.Popen(command, stdout=log, stderr=subprocess.STDOUT, env=env,
                            preexec_fn=_end_with_parent, **kwargs)


class Desktop:
    """env is the environment for a browser: the display and the sound server."""

    def __init__(self, scratch):
        self.log = open(os.path.join(scratch, "desktop.log"), "w")
        read, write = os.pipe()
        self.xvfb = spawn(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24",
                           "-nolisten", "tcp"], self.log, pass_fds=[write])
        os.close(write)
        display = b""
        while not display.endswith(b"\n"):  # it may come in pieces
            if not select.select([read], [], [], 30 * WAIT_FACTOR)[0]:
                raise AssertionError("Xvfb did not say its display")
            display += os.read(read, 64) or b"\n"
        os.close(read)
        display = display.decode().strip()

        run = os.path.abspath(os.path.join(scratch, "pulse"))
        os.makedirs(run, mode=0o700, exist_ok=True)
        socket = os.path.join(run, "native")
        self.pulse_env = {**os.environ, "XDG_RUNTIME_DIR": run, "PULSE_RUNTIME_PATH": run,
                          "HOME": run, "PULSE_SERVER": f"unix:{socket}"}
        self.pulse = spawn(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=60",
                            "--use-pid-file=no", "--log-target=stderr",
                            f"--load=module-native-protocol-unix auth-anonymous=1 socket={socket}",
                            f"--load=module-null-sink sink_name={SINK}"],
                           self.log, env=self.pulse_env)
        wait_until(lambda: subprocess.run(["pactl", "info"], env=self.pulse_env,
                                          capture_output=True).returncode == 0, 30,
                   "PulseAudio to answer")
        self.env = {**os.environ, "DISPLAY": f":{display}",
                    "PULSE_SERVER": self.pulse_env["PULSE_SERVER"]}

    def loudest(self, seconds=0.3):
        """The largest sample (16-bit, 0..32768) on the sink over the next seconds."""
        sound = subprocess.run(["timeout", str(seconds), "parec", "--raw", f"-d{SINK}.monitor",
                                "--format=s16le", "--channels=1", "--rate=8000"],
                               env=self.pulse_env, capture_output=True).stdout
        samples = array.array("h", sound[:len(sound) // 2 * 2])
        return max(map(abs, samples), default=0)

    def close(self):
        for process in (self.pulse, self.xvfb):
            process.terminate()
            process.wait(timeout=10)
        self.log.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
