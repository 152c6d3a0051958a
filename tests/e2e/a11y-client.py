#!/usr/bin/python3
# An assistive-technology client for the accessibility journey: it reaches
# QUAVINTO only through the accessibility bus, as a screen reader does, and
# reports what it finds there.
#
#   a11y-client.py tree          checks the main window, its menu bar, every
#                                menu and menu item by name, and the board's
#                                name and description; prints the board's
#                                description
#   a11y-client.py dialog        checks that every control of the dialog now
#                                open has a name in the program's language;
#                                prints them
#   a11y-client.py message       prints the text of the message box now open
#   a11y-client.py clock         prints what the clock at the menu bar's end reads
#   a11y-client.py dump          prints the program's whole tree, for a failure
#   a11y-client.py follow COUNT  prints "ready", then the board's description
#                                each time the program announces a change,
#                                until a second after COUNT changes have come
#                                (or 20 s)
#
# The program's language is E2E_LANG: ja (the default) or en.
# Exit status 0 when every check passed, 1 with the reasons on stderr.
import os
import re
import sys

import pyatspi
from gi.repository import GLib

APP_NAME = "QUAVINTO"
# What the player hears, in each language the program speaks.
TEXTS = {
    "ja": {
        "board": "パズルの盤",
        "clock": "経過時間と手数",
        "menus": [
            ("ファイル", ["画像読み込み", "最近使った画像", "データの読み込み", "データの保存", "終了"]),
            ("ゲーム", ["ゲーム開始", "ゲーム中止", "元に戻す", "やり直し", "一時停止", "記録…", "ヒント", "クリックで持ち上げる"]),
            ("設定", []),
            ("完成図の倍率", ["X 1", "X 1/2", "X 1/4"]),
            ("HELP", ["目次", "キーワードで検索", "ヘルプについて", "情報"]),
        ],
    },
    "en": {
        "board": "Puzzle board",
        "clock": "Time and moves",
        "menus": [
            ("File", ["Load picture…", "Recent pictures", "Load game…", "Save game…", "Quit"]),
            ("Game", ["Start game", "Stop game", "Undo", "Redo", "Pause", "Records…", "Hint", "Click to pick up"]),
            ("Settings…", []),
            ("Finished picture size", ["X 1", "X 1/2", "X 1/4"]),
            ("Help", ["Contents", "Search by keyword…", "Using Help", "About QUAVINTO"]),
        ],
    },
}
LANG = os.environ.get("E2E_LANG", "ja")
BOARD_NAME = TEXTS[LANG]["board"]
CLOCK_DESCRIPTION = TEXTS[LANG]["clock"]
MENUS = TEXTS[LANG]["menus"]
# A name counts as Japanese when it has kana or kanji; a few names that the
# player reads the same in Japanese are allowed as they are. In English no
# name may have any.
JAPANESE = re.compile("[\u3040-\u30ff\u3400-\u9fff\uff00-\uffef]")
NEUTRAL_NAMES = {"OK", "QUAVINTO"}
CONTROL_ROLES = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_COMBO_BOX,
}

problems = []


def problem(text):
    problems.append(text)


def children(node):
    out = []
    for i in range(node.childCount):
        try:
            child = node.getChildAtIndex(i)
        except Exception:  # a child that went away while we looked
            continue
        if child is not None:
            out.append(child)
    return out


def walk(node, depth=0):
    yield node
    if depth < 40:
        for child in children(node):
            yield from walk(child, depth + 1)


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in children(desktop):
        if app.name == APP_NAME:
            return app
    names = [a.name for a in children(desktop)]
    sys.exit(f"no application named {APP_NAME} on the bus (found: {names})")


def find(root, role, name=None):
    for node in walk(root):
        if node.getRole() == role and (name is None or node.name == name):
            return node
    return None


def check_tree():
    app = application()
    frame = None
    for child in children(app):
        if child.getRole() == pyatspi.ROLE_FRAME and child.name == APP_NAME:
            frame = child
    if frame is None:
        sys.exit(f"no main window named {APP_NAME}: {[(c.getRoleName(), c.name) for c in children(app)]}")
    bar = find(frame, pyatspi.ROLE_MENU_BAR)
    if bar is None:
        sys.exit("the main window has no menu bar")
    titles = [(c.name, c) for c in children(bar)]
    if [t for t, _ in titles] != [m for m, _ in MENUS]:
        problem(f"menu bar titles {[t for t, _ in titles]}, expected {[m for m, _ in MENUS]}")
    for (title, items), (_, node) in zip(MENUS, titles):
        # A title holds its menu, and the menu holds the items.
        inner = children(node)
        if len(inner) == 1 and inner[0].getRole() in (pyatspi.ROLE_MENU, pyatspi.ROLE_POPUP_MENU):
            inner = children(inner[0])
        got = [c.name for c in inner if c.getRole() != pyatspi.ROLE_SEPARATOR]
        if got != items:
            problem(f"menu {title} has items {got}, expected {items}")
    board = find(frame, pyatspi.ROLE_UNKNOWN, BOARD_NAME) or next(
        (n for n in walk(frame) if n.name == BOARD_NAME), None)
    if board is None:
        problem(f"no board named {BOARD_NAME}")
    elif not board.description:
        problem("the board has no description")
    else:
        print(board.description)


def read_clock():
    # The description may go on with the fewest moves ("…、最少 40 手").
    clock = next((n for n in walk(application()) if (n.description or "").startswith(CLOCK_DESCRIPTION)), None)
    if clock is None:
        sys.exit(f"no clock described as {CLOCK_DESCRIPTION}")
    print(clock.name)


def open_dialog():
    app = application()
    dialogs = [c for c in children(app) if c.getRole() in (pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT)
               and c.getState().contains(pyatspi.STATE_ACTIVE)]
    if not dialogs:
        dialogs = [c for c in children(app) if c.getRole() in (pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT)]
    if not dialogs:
        sys.exit(f"no dialog open: {[(c.getRoleName(), c.name) for c in children(app)]}")
    return dialogs[0]


def read_message():
    # The box's text is its labels' text, one line of output per line shown.
    texts = [n.name for n in walk(open_dialog()) if n.getRole() == pyatspi.ROLE_LABEL and n.name]
    if not texts:
        sys.exit("the dialog shows no text")
    for text in texts:
        for line in text.replace("\r\n", "\n").split("\n"):
            print(line.strip())


def check_dialog():
    count = 0
    for node in walk(open_dialog()):
        if node.getRole() not in CONTROL_ROLES:
            continue
        count += 1
        name = node.name or ""
        print(f"{node.getRoleName()}: {name}")
        if not name:
            problem(f"a {node.getRoleName()} has no name")
        elif LANG == "ja" and not JAPANESE.search(name) and name not in NEUTRAL_NAMES:
            problem(f"the {node.getRoleName()} '{name}' is not named in Japanese")
        elif LANG != "ja" and JAPANESE.search(name):
            problem(f"the {node.getRoleName()} '{name}' is named in Japanese")
    if count == 0:
        problem("the dialog shows no controls")


def where(name):
    # The centre of a named control of the open dialog, in screen pixels: where
    # a player would click it, however the translation moved it.
    for node in walk(open_dialog()):
        if node.getRole() in CONTROL_ROLES and node.name == name:
            box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            print(box.x + box.width // 2, box.y + box.height // 2)
            return
    sys.exit(f"no control named {name} in the dialog")


def follow(count):
    app = application()
    board = next((n for n in walk(app) if n.name == BOARD_NAME), None)
    if board is None:
        sys.exit(f"no board named {BOARD_NAME}")
    # A screen reader speaks what changes on the object that has the focus.
    if not board.getState().contains(pyatspi.STATE_FOCUSED):
        problem("the board does not have the focus during play")
    seen = []

    def on_change(event):
        try:
            source = event.source
            if source.name != BOARD_NAME:
                return
            text = source.description
        except Exception:
            return
        print(text, flush=True)
        seen.append(text)
        if len(seen) == count:
            # A second more, to hear any announcement made twice.
            GLib.timeout_add(1000, give_up)

    def give_up():
        pyatspi.Registry.stop()
        return False

    pyatspi.Registry.registerEventListener(on_change, "object:property-change:accessible-description")
    print("ready", flush=True)
    GLib.timeout_add_seconds(20, give_up)
    pyatspi.Registry.start()
    if len(seen) < count:
        problem(f"only {len(seen)} of {count} announcements came")


def main():
    if len(sys.argv) < 2:
        sys.exit("usage: a11y-client.py tree | dialog | message | clock | dump | where NAME | follow COUNT")
    command = sys.argv[1]
    if command == "tree":
        check_tree()
    elif command == "dialog":
        check_dialog()
    elif command == "clock":
        read_clock()
    elif command == "message":
        read_message()
    elif command == "dump":
        for node in walk(application()):
            path, up = [], node
            while up is not None and len(path) < 40:
                path.append(up)
                up = up.parent
            print("  " * (len(path) - 1) + f"{node.getRoleName()} '{node.name}' '{node.description}'")
    elif command == "where":
        where(sys.argv[2])
    elif command == "follow":
        follow(int(sys.argv[2]))
    else:
        sys.exit(f"unknown command {command}")
    for p in problems:
        print(p, file=sys.stderr)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
