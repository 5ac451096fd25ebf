"""The real program as a screen reader sees it: started on a desktop with the
accessibility bus, its windows read and used through AT-SPI, the interface
screen readers use. run-with-accessibility-bus starts the bus around it.

    accessibility_test.py PROGRAM
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

import pyatspi
from gi.repository import Atspi, GLib

PROGRAM = None
PATIENCE_S = 30

# What a user operates: each of these needs a name a screen reader can say.
CONTROL_ROLES = {
    pyatspi.ROLE_PUSH_BUTTON,
    pyatspi.ROLE_TOGGLE_BUTTON,
    pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON,
    pyatspi.ROLE_COMBO_BOX,
    pyatspi.ROLE_TEXT,
    pyatspi.ROLE_ENTRY,
    pyatspi.ROLE_SPIN_BUTTON,
    pyatspi.ROLE_MENU_ITEM,
    pyatspi.ROLE_MENU,
    pyatspi.ROLE_LIST_ITEM,
    pyatspi.ROLE_PAGE_TAB,
    pyatspi.ROLE_SLIDER,
}

STATUS_CAPTIONS = ("Zeilen:", "CursorZeile:", "CursorSpalte:")


def wait_for(what, probe):
    """probe() once it gives something other than None/False, within PATIENCE_S."""
    deadline = time.monotonic() + PATIENCE_S
    seen = None
    while time.monotonic() < deadline:
        try:
            seen = probe()
        except Exception as error:  # an object that went away while it was read
            seen = error
        if seen and not isinstance(seen, Exception):
            return seen
        time.sleep(0.05)
    raise AssertionError(f"{what}: not within {PATIENCE_S} s (last seen: {seen!r})")


def has_state(node, state):
    return node.getState().contains(state)


def walk(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def path_of(node):
    parts = []
    while node is not None and node.getRole() != pyatspi.ROLE_APPLICATION:
        parts.append(f"{node.getRoleName()} '{node.name}'")
        node = node.parent
    return " < ".join(parts)


def reachable(node):
    """Shown on the screen, or a menu entry that opening its menu shows."""
    if node.getRole() in (pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_MENU):
        return True
    return has_state(node, pyatspi.STATE_SHOWING)


def unnamed_controls(window):
    return [
        path_of(node)
        for node in walk(window)
        if node.getRole() in CONTROL_ROLES and reachable(node) and not node.name.strip()
    ]


def find(root, role, name=None, pattern=None):
    for node in walk(root):
        if node.getRole() != role:
            continue
        if name is not None and node.name != name:
            continue
        if pattern is not None and not re.fullmatch(pattern, node.name):
            continue
        return node
    return None


def actions_of(node):
    action = node.queryAction()
    return [action.getName(i) for i in range(action.nActions)]


def bridge_reports_checkable(app):
    """Whether the toolkit's bridge says "checkable" at all (older ones never do)."""
    return any(has_state(node, pyatspi.STATE_CHECKABLE) for node in walk(app))


def press(node):
    action = node.queryAction()
    names = actions_of(node)
    wanted = next((n for n in ("Press", "press", "Toggle", "toggle", "click") if n in names), None)
    if wanted is None:
        raise AssertionError(f"{path_of(node)} cannot be pressed (actions: {names})")
    if node.getRole() != pyatspi.ROLE_MENU_ITEM:
        action.doAction(names.index(wanted))
        return
    # A menu entry answers only when its command ends, and a window it opens
    # modally keeps it from answering: the press is sent without waiting.
    Atspi.set_timeout(1000, -1)
    try:
        action.doAction(names.index(wanted))
    except GLib.GError:
        pass
    finally:
        Atspi.set_timeout(-1, -1)


class Korvex:
    """Korvex21 started in a folder of its own, with its accessibility tree."""

    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix="korvex-a11y-")
        environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
        self.process = subprocess.Popen([PROGRAM], cwd=self.folder, env=environment)
        self.app = wait_for("Korvex21 on the accessibility bus", self._application)
        self.main = wait_for("the main window", lambda: self.window("Korvex Version 2.3"))

    def _application(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.get_process_id() == self.process.pid and app.childCount > 0:
                return app
        return None

    def window(self, name):
        for i in range(self.app.childCount):
            window = self.app.getChildAtIndex(i)
            if window is not None and window.name == name and has_state(window, pyatspi.STATE_SHOWING):
                return window
        return None

    def windows_shown(self):
        shown = []
        for i in range(self.app.childCount):
            window = self.app.getChildAtIndex(i)
            if window is not None and has_state(window, pyatspi.STATE_SHOWING):
                shown.append(window)
        return shown

    def new_window(self, before):
        """The window shown now that was not among those shown before."""
        known = {(w.getRole(), w.name) for w in before}
        return wait_for(
            "a new window",
            lambda: next((w for w in self.windows_shown() if (w.getRole(), w.name) not in known), None),
        )

    def control(self, role, name=None, pattern=None, within=None):
        root = within or self.main
        return wait_for(f"{pyatspi.Role(role)} {name or pattern!r}",
                        lambda: find(root, role, name, pattern))

    def type_into_text_window(self, text):
        memo = self.control(pyatspi.ROLE_TEXT, "Text")
        memo.queryEditableText().insertText(0, text, len(text))
        return memo

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)


class ScreenReaderTest(unittest.TestCase):
    def setUp(self):
        self.korvex = Korvex()
        self.addCleanup(self.korvex.close)

    def assertAllNamed(self, window):
        self.assertEqual(unnamed_controls(window), [], f"controls without a name in '{window.name}'")

    def test_main_window_names_every_control_and_keeps_the_hints(self):
        k = self.korvex
        self.assertAllNamed(k.main)
        # The image buttons: buttons with a German name, the hint as description.
        for name, hint in [
            ("Schrift ändern", "Schrift einstellen"),
            ("Drucken", "Dokument drucken / Drucker einstellen"),
            ("Neu/Schließen", "Dokument schließen / Neues Dokument"),
            ("Öffnen", "Vorhandene Datei öffnen"),
            ("Speichern", "Dokument Speichern"),
            ("Speichern unter", "Dokument Speichern unter ..."),
        ]:
            button = k.control(pyatspi.ROLE_PUSH_BUTTON, name)
            self.assertEqual(button.description, hint, path_of(button))
        for name, hint in [
            ("Text", ""),
            ("Kopfzeile", "Hier ggfs. Kopfzeile eintragen"),
            ("Datum", "Datum aktualisieren durch Klick"),
            ("Stoppzeit in Sekunden", "Stoppzeit in Sekunden hier eintragen, sonst Stoppzeit = 600 Sek."),
        ]:
            field = k.control(pyatspi.ROLE_TEXT, name)
            self.assertEqual(field.description, hint, path_of(field))
        start = k.control(pyatspi.ROLE_PUSH_BUTTON, pattern=r"GO\b.*")
        self.assertEqual(start.description, "Stoppuhr starten")

    def test_top_is_a_checkable_button_that_a_screen_reader_presses(self):
        k = self.korvex
        top = wait_for("TOP as a button", lambda: next(
            (n for n in walk(k.main)
             if n.getRole() in (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON) and n.name.startswith("TOP")),
            None))
        # A checkable control offers "Toggle"; a bridge that knows the state says it too.
        self.assertIn("Toggle", actions_of(top), "TOP is not checkable")
        if hasattr(pyatspi, "STATE_CHECKABLE") and bridge_reports_checkable(k.app):
            self.assertTrue(has_state(top, pyatspi.STATE_CHECKABLE), "TOP is not checkable")
        self.assertEqual(top.description, "Korvex bleibt immer im Vordergrund")
        on = (pyatspi.STATE_CHECKED, pyatspi.STATE_PRESSED)
        self.assertFalse(any(has_state(top, s) for s in on), "TOP is on at start")
        press(top)
        wait_for("TOP reported as pressed", lambda: all(has_state(top, s) for s in on))
        press(top)
        wait_for("TOP reported as not pressed", lambda: not any(has_state(top, s) for s in on))

    def test_top_takes_the_focus_from_a_screen_reader_then_space_and_return(self):
        k = self.korvex
        top = k.control(pyatspi.ROLE_PUSH_BUTTON, pattern=r"TOP\b.*")
        self.assertTrue(top.queryComponent().grabFocus(), "TOP refuses the focus")
        wait_for("TOP focused", lambda: has_state(top, pyatspi.STATE_FOCUSED))
        subprocess.run(["xdotool", "key", "space"], check=True)
        wait_for("TOP pressed by Space", lambda: has_state(top, pyatspi.STATE_CHECKED))
        subprocess.run(["xdotool", "key", "Return"], check=True)
        wait_for("TOP released by Return", lambda: not has_state(top, pyatspi.STATE_CHECKED))

    def test_image_button_takes_the_focus_from_a_screen_reader_then_return(self):
        k = self.korvex
        open_button = k.control(pyatspi.ROLE_PUSH_BUTTON, "Öffnen")
        self.assertTrue(open_button.queryComponent().grabFocus(), "Öffnen refuses the focus")
        wait_for("Öffnen focused", lambda: has_state(open_button, pyatspi.STATE_FOCUSED))
        before = k.windows_shown()
        subprocess.run(["xdotool", "key", "Return"], check=True)
        k.new_window(before)  # the open dialog

    def test_status_values_are_read_with_their_captions(self):
        k = self.korvex
        memo = k.type_into_text_window("Hallo\nWelt")
        text = memo.queryText()
        caret = text.caretOffset
        before = text.getText(0, caret)
        expected = {
            "Zeilen:": 2,
            "CursorZeile:": before.count("\n") + 1,
            "CursorSpalte:": len(before) - (before.rfind("\n") + 1) + 1,
        }
        for caption in STATUS_CAPTIONS:
            label = k.control(pyatspi.ROLE_LABEL, caption)
            targets = [r.getTarget(0) for r in label.getRelationSet()
                       if r.getRelationType() == pyatspi.RELATION_LABEL_FOR]
            self.assertEqual(len(targets), 1, f"'{caption}' labels no value")
            value = targets[0]
            wait_for(f"the value after '{caption}'",
                     lambda: value.name == f"{caption} {expected[caption]}" or None)
            labelled_by = [r.getTarget(0).name for r in value.getRelationSet()
                           if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]
            self.assertEqual(labelled_by, [caption], path_of(value))

    def test_status_values_do_not_flood_a_listener_while_typing(self):
        """A value changes its name only when its number changes; nothing is announced."""
        k = self.korvex
        memo = k.type_into_text_window("H")
        lines = k.control(pyatspi.ROLE_LABEL, "Zeilen: 1")
        heard = []
        listener = Atspi.EventListener.new(lambda event: heard.append((event.type, event.source.name)))
        for kind in ("object:property-change:accessible-name", "object:announcement"):
            listener.register(kind)
        self.addCleanup(lambda: [listener.deregister(kind) for kind in
                                 ("object:property-change:accessible-name", "object:announcement")])
        editable = memo.queryEditableText()
        for typed in range(1, 21):
            editable.insertText(typed, "a", 1)

        def last_column_heard():
            GLib.MainContext.default().iteration(False)
            return ("object:property-change:accessible-name", "CursorSpalte: 22") in heard or None

        wait_for("the caret's last column heard", last_column_heard)
        self.assertEqual(lines.name, "Zeilen: 1")
        self.assertEqual([e for e in heard if e[1].startswith("Zeilen:") or "announcement" in e[0]], [])
        columns = [e for e in heard if e[1].startswith("CursorSpalte:")]
        self.assertLessEqual(len(columns), 20, columns)

    def test_colour_picker_opens_with_alt_down_and_names_its_colours_in_german(self):
        k = self.korvex
        picker = k.control(pyatspi.ROLE_COMBO_BOX)
        caption = k.control(pyatspi.ROLE_LABEL, "Fensterfarbe:")
        self.assertIn(caption.name, [r.getTarget(0).name for r in picker.getRelationSet()
                                     if r.getRelationType() == pyatspi.RELATION_LABELLED_BY])
        entries = [n for n in walk(picker) if n.getRole() == pyatspi.ROLE_LIST_ITEM]
        self.assertEqual(len(entries), 47)
        self.assertIn("Geldgrün", [e.name for e in entries])
        self.assertFalse([e.name for e in entries if e.name.startswith("cl")], "colour names not spoken in German")
        # The focus starts in the text window; Tab leads on to the picker.
        wait_for("the text window focused", lambda: has_state(k.control(pyatspi.ROLE_TEXT, "Text"), pyatspi.STATE_FOCUSED))
        subprocess.run(["xdotool", "key", "Tab"], check=True)
        wait_for("the colour picker focused", lambda: has_state(picker, pyatspi.STATE_FOCUSED))
        subprocess.run(["xdotool", "key", "alt+Down"], check=True)
        popup = next(n for n in walk(picker) if n.getRole() == pyatspi.ROLE_LIST)
        wait_for("the colour list open", lambda: has_state(popup, pyatspi.STATE_SHOWING))
        subprocess.run(["xdotool", "key", "Escape"], check=True)

    def test_question_dialog_says_its_question(self):
        k = self.korvex
        k.type_into_text_window("ungespeichert")
        before = k.windows_shown()
        press(k.control(pyatspi.ROLE_PUSH_BUTTON, "Neu/Schließen"))
        dialog = k.new_window(before)
        self.assertEqual(dialog.getRole(), pyatspi.ROLE_DIALOG, path_of(dialog))
        self.assertTrue(dialog.name.strip(), "the question dialog has no name")
        self.assertEqual(dialog.description, "Aktuelle Textdatei speichern?")
        self.assertAllNamed(dialog)
        press(k.control(pyatspi.ROLE_PUSH_BUTTON, "ABBRECHEN", within=dialog))
        wait_for("the question closed", lambda: not has_state(dialog, pyatspi.STATE_SHOWING))

    def test_info_window_is_named_and_read_only(self):
        k = self.korvex
        before = k.windows_shown()
        press(k.control(pyatspi.ROLE_MENU_ITEM, "Info"))
        info = k.new_window(before)
        self.assertAllNamed(info)
        text = k.control(pyatspi.ROLE_TEXT, within=info, pattern=r".+")
        self.assertTrue(has_state(text, pyatspi.STATE_READ_ONLY) or not has_state(text, pyatspi.STATE_EDITABLE),
                        f"{path_of(text)} is editable")
        press(k.control(pyatspi.ROLE_PUSH_BUTTON, "OK", within=info))

    def test_phrase_editor_and_its_message_say_what_they_are(self):
        k = self.korvex
        before = k.windows_shown()
        press(k.control(pyatspi.ROLE_PUSH_BUTTON, pattern=r"Phr\b.*"))
        phrases = k.new_window(before)
        self.assertEqual(phrases.getRole(), pyatspi.ROLE_FRAME, path_of(phrases))
        self.assertAllNamed(phrases)
        before = k.windows_shown()
        press(k.control(pyatspi.ROLE_PUSH_BUTTON, "Phrase einfügen", within=phrases))
        message = k.new_window(before)
        self.assertEqual(message.getRole(), pyatspi.ROLE_ALERT, path_of(message))
        self.assertEqual(message.description, "Es ist nichts ausgewählt!\n\rBitte eine Auswahl treffen oder abbrechen.")
        self.assertAllNamed(message)

    def test_find_and_replace_dialog_is_named(self):
        k = self.korvex
        before = k.windows_shown()
        press(k.control(pyatspi.ROLE_MENU_ITEM, "Ersetzen ..."))
        dialog = k.new_window(before)
        self.assertAllNamed(dialog)

    def test_print_preview_is_named(self):
        k = self.korvex
        k.type_into_text_window("Eine Zeile zum Drucken")
        before = k.windows_shown()
        press(k.control(pyatspi.ROLE_MENU_ITEM, "Seitenansicht ..."))
        preview = k.new_window(before)
        self.assertAllNamed(preview)

    def test_text_window_reports_read_only_while_the_typing_test_locks_it(self):
        k = self.korvex
        memo = k.type_into_text_window("Tippübung")
        limit = k.control(pyatspi.ROLE_TEXT, "Stoppzeit in Sekunden")
        limit.queryEditableText().setTextContents("1")
        press(k.control(pyatspi.ROLE_PUSH_BUTTON, pattern=r"GO\b.*"))
        wait_for("the locked text window reported read-only",
                 lambda: has_state(memo, pyatspi.STATE_READ_ONLY) or not has_state(memo, pyatspi.STATE_EDITABLE))
        press(k.control(pyatspi.ROLE_PUSH_BUTTON, pattern=r"RST\b.*"))
        wait_for("the text window editable again",
                 lambda: has_state(memo, pyatspi.STATE_EDITABLE) and not has_state(memo, pyatspi.STATE_READ_ONLY))


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
