#!/usr/bin/env python3
"""mixconv.exe driven through its windows under wine, on an Xvfb of its own.

  gui_test.py make-prefix PREFIX
      a wine prefix that shows the dialogs' Japanese, for each GUI test to copy
  gui_test.py convert PREFIX MIXCONV_EXE GUI_PROBE_EXE SAMPLES_DIR
      a Japanese path pasted into the Open-file dialog lands in the path field;
      a text file dropped on the dialog puts its index's path there; a Japanese
      name and address pasted in, Enter, the result log's lines and the mailbox
      for the readable and the original form; Esc hides the result log, the
      system menu's last entry opens the about box, the result log's OK ends the
      program
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.parse
from pathlib import Path

MAIN_TITLE = "mixconv"
RESULT_TITLE = "変換結果"
ABOUT_TITLE = "ﾊﾞｰｼﾞｮﾝ情報 mixconv"
# Wine's own, in English as LANG is C.
OPEN_TITLE = "Open"
# Its file name box.
OPEN_FILE_NAME = 1152
IDC_MIX_PATH = 1000
IDC_BROWSE = 1001
IDC_USER_NAME = 1002
IDC_MAIL_ADDRESS = 1003
IDC_OUTPUT = 1004
READABLE_ENTRY = "mbox (UTF-8, Thunderbird など今のメールソフト用)"
ORIGINAL_ENTRY = "元の形式の mbox (以前の変換と同じ)"
NAME = "山田 太郎"
ADDRESS = "taro@example.jp"
RUN_LINES = ["skip one binary mail.", "convert 5/6 mail"]
JAPANESE_FONT = "IPAPGothic"
# The dialogs' own font and the ones wine falls back to for Japanese text.
FONT_SUBSTITUTES = ["MS Shell Dlg", "MS Shell Dlg 2", "MS UI Gothic", "ＭＳ Ｐゴシック"]
WINE_FONTS = Path("/usr/share/wine/fonts")
WAIT_SECONDS = 60
SYSTEM_PYTHON = "/usr/bin/python3"
XDND_SOURCE = Path(__file__).with_name("xdnd_drop.py")


class Failure(Exception):
    pass


def wine_environment(prefix, display=None):
    env = dict(os.environ)
    env.update(WINEPREFIX=str(prefix), WINEDEBUG="-all", LANG="C.UTF-8", LC_ALL="C.UTF-8",
               TZ="JST-9", WINEDLLOVERRIDES="mscoree,mshtml=")
    env.pop("DISPLAY", None)
    if display is not None:
        env["DISPLAY"] = display
    return env


def run(command, env, timeout=120):
    result = subprocess.run(command, env=env, capture_output=True, timeout=timeout)
    if result.returncode != 0:
        raise Failure(f"{command[0]} failed ({result.returncode}): "
                      f"{result.stderr.decode(errors='replace')}")
    return result.stdout.decode()


def make_prefix(prefix):
    shutil.rmtree(prefix, ignore_errors=True)
    env = wine_environment(prefix)
    run(["wineboot", "--init"], env, timeout=300)
    run(["wineserver", "-w"], env, timeout=300)
    key = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes"
    for font in FONT_SUBSTITUTES:
        run(["wine", "reg", "add", key, "/v", font, "/d", JAPANESE_FONT, "/f"], env)
    fonts = prefix / "drive_c" / "windows" / "Fonts"
    fonts.mkdir(parents=True, exist_ok=True)
    for font in WINE_FONTS.iterdir():
        shutil.copy(font, fonts / font.name)
    run(["wineserver", "-w"], env, timeout=300)
    written = run(["wine", "reg", "query", key, "/v", FONT_SUBSTITUTES[-1]], env)
    run(["wineserver", "-w"], env, timeout=300)
    if JAPANESE_FONT not in written:
        raise Failure(f"the font substitute did not reach the registry: {written}")


def wait_for(what, check, seconds=WAIT_SECONDS):
    deadline = time.monotonic() + seconds
    while True:
        value = check()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"gave up after {seconds} s waiting for {what}")
        time.sleep(0.5)


class Session:
    def __init__(self, template, mixconv, probe, work):
        self.mixconv = mixconv
        self.probe_exe = probe
        self.prefix = work / "prefix"
        shutil.copytree(template, self.prefix, symlinks=True)
        self.xvfb = None
        self.clipboard = None
        self.program = None
        self.env = None
        self.wine_output = None

    def start(self, cwd):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24", "-nolisten",
             "tcp"], pass_fds=(write_end,), stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as chosen:
            number = chosen.readline().strip()
        if not number:
            raise Failure("Xvfb named no display")
        self.env = wine_environment(self.prefix, f":{number}")
        self.wine_output = cwd / "wine-output.txt"
        with open(self.wine_output, "wb") as output:
            self.program = subprocess.Popen(["wine", str(self.mixconv)], env=self.env, cwd=cwd,
                                            stdout=output, stderr=subprocess.STDOUT)

    def stop(self):
        if self.program is not None and self.program.poll() is None:
            self.program.kill()
        if self.env is not None:
            subprocess.run(["wineserver", "-k"], env=self.env, timeout=60)
            subprocess.run(["wineserver", "-w"], env=self.env, timeout=60)
        for process in (self.clipboard, self.xvfb):
            if process is not None:
                process.terminate()
                process.wait(timeout=30)

    def main_dialog(self):
        if self.program.poll() is not None:
            raise Failure(f"mixconv.exe ended ({self.program.returncode}) before its dialog showed")
        return self.x_window(MAIN_TITLE)

    def probe(self, *args):
        result = subprocess.run(["wine", str(self.probe_exe), *map(str, args)], env=self.env,
                                capture_output=True, timeout=60)
        if result.returncode == 2:
            return None
        if result.returncode != 0:
            raise Failure(f"gui_probe {args} failed ({result.returncode})")
        return result.stdout.decode().splitlines()

    def x_window(self, title):
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                               env=self.env, capture_output=True, text=True, timeout=30)
        return found.stdout.split()[0] if found.returncode == 0 and found.stdout else None

    def keys(self, title, *keys):
        window = wait_for(f"the window {title}", lambda: self.x_window(title))
        subprocess.run(["xdotool", "windowfocus", "--sync", window], env=self.env, check=True,
                       timeout=30)
        subprocess.run(["xdotool", "key", "--clearmodifiers", *keys], env=self.env, check=True,
                       timeout=30)

    def text(self, control, title=MAIN_TITLE):
        return (self.probe("text", title, control) or [""])[0]

    def paste(self, control, text, title=MAIN_TITLE):
        """Through the clipboard: typed Japanese loses characters on a loaded machine."""
        if self.clipboard is not None:
            self.clipboard.terminate()
            self.clipboard.wait(timeout=30)
        self.clipboard = subprocess.Popen(["xclip", "-quiet", "-selection", "clipboard"],
                                          stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                          stderr=subprocess.DEVNULL, env=self.env)
        self.clipboard.stdin.write(text.encode())
        self.clipboard.stdin.close()

        # Keys sent in the first seconds of a window are lost: paste until the text is there.
        def pasted():
            self.probe("focus", title, control)
            self.keys(title, "ctrl+v")
            return self.text(control, title) == text

        wait_for(f"{text!r} in control {control}", pasted)

    def result_log(self):
        return self.probe("state", RESULT_TITLE)

    def drop(self, window, path):
        """As a file manager drops a file, through XDND: wine turns it into WM_DROPFILES."""
        # Its own X client, as python3-xlib is the system Python's.
        done = subprocess.run([SYSTEM_PYTHON, str(XDND_SOURCE), self.env["DISPLAY"], window,
                               "file://" + urllib.parse.quote(str(path))],
                              capture_output=True, text=True, timeout=WAIT_SECONDS * 2)
        if done.returncode != 0:
            raise Failure(f"the drop of {path.name} failed: {done.stderr}")


def dos_path(path):
    return "Z:" + str(path).replace("/", "\\")


def expect(what, actual, expected):
    if actual != expected:
        raise Failure(f"{what}: got {actual!r}, expected {expected!r}")


def convert_and_check(session, mailbox, golden, earlier_lines):
    mailbox.unlink(missing_ok=True)
    session.keys(MAIN_TITLE, "Return")
    lines = earlier_lines + RUN_LINES
    wait_for("the result log with the run's lines",
             lambda: session.result_log() == ["visible"] + lines)
    expected = golden.read_bytes()
    try:
        wait_for(f"{mailbox.name} to equal {golden.name}",
                 lambda: mailbox.exists() and mailbox.read_bytes() == expected, seconds=10)
    except Failure:
        actual = mailbox.read_bytes() if mailbox.exists() else b""
        differs_at = next((i for i, (a, b) in enumerate(zip(actual, expected)) if a != b),
                          min(len(actual), len(expected)))
        raise Failure(f"{mailbox.name} ({len(actual)} bytes) differs from {golden.name} "
                      f"({len(expected)} bytes) from byte {differs_at}") from None
    return lines


def convert(template, mixconv, probe, samples):
    with tempfile.TemporaryDirectory(prefix="mixconv-gui-") as temp:
        work = Path(temp)
        log = work / "ログ"
        log.mkdir()
        shutil.copy(samples / "SAMPLE.MIX", log / "メール.MIX")
        shutil.copy(samples / "SAMPLE.TXT", log / "メール.TXT")
        mailbox = log / "メール.mbx"
        session = Session(template, mixconv, probe, work)
        try:
            session.start(work)
            wait_for("the main dialog", session.main_dialog)
            wait_for("the main dialog under wine", lambda: session.probe("text", MAIN_TITLE,
                                                                          IDC_MIX_PATH))
            expect("the result log before OK", session.result_log(), ["hidden"])

            browsed = dos_path(log / "参照.MIX")
            session.probe("click", MAIN_TITLE, IDC_BROWSE)
            wait_for("the Open-file dialog", lambda: session.x_window(OPEN_TITLE))
            session.paste(OPEN_FILE_NAME, browsed, OPEN_TITLE)
            session.keys(OPEN_TITLE, "Return")
            wait_for("Enter to close the Open-file dialog",
                     lambda: not session.x_window(OPEN_TITLE))
            wait_for(f"the path chosen in the Open-file dialog, {browsed!r}, in the path field",
                     lambda: session.text(IDC_MIX_PATH) == browsed)

            session.drop(wait_for("the main dialog", session.main_dialog), log / "メール.TXT")
            wait_for("the dropped text file's index in the path field",
                     lambda: session.text(IDC_MIX_PATH) == dos_path(log / "メール.MIX"))
            session.paste(IDC_USER_NAME, NAME)
            session.paste(IDC_MAIL_ADDRESS, ADDRESS)
            expect("the first output entry", session.text(IDC_OUTPUT), READABLE_ENTRY)
            lines = convert_and_check(session, mailbox, samples / "SAMPLE.utf8.expected.mbx", [])

            session.keys(RESULT_TITLE, "Escape")
            wait_for("Esc to hide the result log",
                     lambda: (session.result_log() or [None])[0] == "hidden")

            # wine puts an entry of its own in every system menu: the about entry
            # is found as the menu's last, Up from its first.
            session.keys(MAIN_TITLE, "alt+space")
            session.keys(MAIN_TITLE, "Up", "Return")
            wait_for("the about box from the system menu", lambda: session.x_window(ABOUT_TITLE))
            session.keys(ABOUT_TITLE, "Return")
            wait_for("OK to close the about box", lambda: not session.x_window(ABOUT_TITLE))

            session.probe("focus", MAIN_TITLE, IDC_OUTPUT)
            session.keys(MAIN_TITLE, "Down")
            wait_for("Down to choose the original form",
                     lambda: session.text(IDC_OUTPUT) == ORIGINAL_ENTRY)
            convert_and_check(session, mailbox, samples / "SAMPLE.expected.mbx", lines)

            session.keys(RESULT_TITLE, "Return")
            try:
                session.program.wait(timeout=WAIT_SECONDS)
            except subprocess.TimeoutExpired:
                raise Failure("the result log's OK did not end the program") from None
            expect("mixconv.exe's exit code", session.program.returncode, 0)
        except Failure as failure:
            output = session.wine_output.read_text(errors="replace")[-4000:]
            if output:
                raise Failure(f"{failure}\n--- wine's output ---\n{output}") from None
            raise
        finally:
            session.stop()


def main(argv):
    try:
        if len(argv) == 3 and argv[1] == "make-prefix":
            make_prefix(Path(argv[2]))
        elif len(argv) == 6 and argv[1] == "convert":
            convert(*(Path(arg).resolve() for arg in argv[2:]))
        else:
            print(__doc__, file=sys.stderr)
            return 2
    except Failure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        return 1
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
