#!/usr/bin/env python3
"""Takes docs/windows-screenshot.png: mixconv.exe under wine after converting the
sample log, its result log beside it and the about box open, framed by openbox
on an Xvfb of the GUI test's making. Run after ./dev.sh windows.
Needs (as root): apt-get install openbox imagemagick
"""
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "win32"))
import gui_test as gui  # noqa: E402

BUILD = ROOT / "build" / "windows"
OUTPUT = ROOT / "docs" / "windows-screenshot.png"


def move(session, title, x, y):
    window = gui.wait_for(title, lambda: session.x_window(title))
    subprocess.run(["xdotool", "windowmove", "--sync", window, str(x), str(y)], env=session.env,
                   check=True, timeout=30)


def main():
    with tempfile.TemporaryDirectory(prefix="mixconv-shot-") as temp:
        work = Path(temp)
        gui.make_prefix(work / "template")
        for file in ("SAMPLE.MIX", "SAMPLE.TXT"):
            (work / file).write_bytes((ROOT / "samples" / file).read_bytes())
        session = gui.Session(work / "template", BUILD / "win32" / "mixconv.exe",
                              BUILD / "tests" / "gui_probe.exe", work)
        window_manager = None
        try:
            session.start(work)
            # No key bindings: Alt+Space has to reach wine's system menu.
            config = work / "openbox.xml"
            config.write_text("<openbox_config><keyboard/></openbox_config>\n")
            window_manager = subprocess.Popen(["openbox", "--config-file", str(config)],
                                              env=session.env, stderr=subprocess.DEVNULL)
            gui.wait_for("the main dialog", session.main_dialog)
            session.paste(gui.IDC_MIX_PATH, "Z:" + str(work / "SAMPLE.MIX").replace("/", "\\"))
            session.paste(gui.IDC_USER_NAME, "Morvath")
            session.paste(gui.IDC_MAIL_ADDRESS, "morvath@example.jp")
            session.keys(gui.MAIN_TITLE, "Return")
            gui.wait_for("the result log", lambda: (session.result_log() or [""])[-1:] ==
                         gui.RUN_LINES[-1:])
            move(session, gui.MAIN_TITLE, 20, 20)
            move(session, gui.RESULT_TITLE, 470, 20)
            main_dialog = session.x_window(gui.MAIN_TITLE)
            subprocess.run(["xdotool", "windowactivate", "--sync", main_dialog], env=session.env,
                           check=True, timeout=30)
            session.keys(gui.MAIN_TITLE, "alt+space")
            session.keys(gui.MAIN_TITLE, "Up", "Return")
            move(session, gui.ABOUT_TITLE, 60, 330)
            subprocess.run(["sleep", "1"], check=True)
            subprocess.run(["import", "-window", "root", "-trim", "+repage", str(OUTPUT)],
                           env=session.env, check=True, timeout=60)
        finally:
            if window_manager is not None:
                window_manager.terminate()
            session.stop()
    print(f"wrote {OUTPUT}")


if __name__ == "__main__":
    main()
