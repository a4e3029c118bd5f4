#!/usr/bin/python3
# A small GTK 3 window whose accessibility tree the tests read: a menu bar of many closed menus, a
# label, a text field, a password field, a multi-line text view, a button, a slider and a notebook
# whose second page is not shown. Prints "ready" once the window is up.
import gi

gi.require_version("Gtk", "3.0")
from gi.repository import GLib, Gtk

window = Gtk.Window(title="Glimmo Accessibility Test")
box = Gtk.Box(orientation=Gtk.Orientation.VERTICAL, spacing=4)
menu_bar = Gtk.MenuBar()
for heading in "ABCDEF":
    heading_item = Gtk.MenuItem(label="Menu heading " + heading)
    menu = Gtk.Menu()
    for number in range(30):
        menu.append(Gtk.MenuItem(label="Menu entry %s%d" % (heading, number)))
    heading_item.set_submenu(menu)
    menu_bar.append(heading_item)
box.add(menu_bar)
box.add(Gtk.Label(label="Hello from the label"))
field = Gtk.Entry()
field.set_text("typed into the field")
box.add(field)
password = Gtk.Entry()
password.set_visibility(False)
password.set_text("secret-password")
box.add(password)
notes = Gtk.TextView()
notes.get_buffer().set_text("first line\nsecond line")
box.add(notes)
button = Gtk.Button(label="Press me")
button.get_accessible().set_description("Sends nothing anywhere")
box.add(button)
box.add(Gtk.Scale(adjustment=Gtk.Adjustment(value=42, lower=0, upper=100, step_increment=1)))
pages = Gtk.Notebook()
pages.append_page(Gtk.Label(label="Shown page text"), Gtk.Label(label="First tab"))
pages.append_page(Gtk.Label(label="Hidden page text"), Gtk.Label(label="Second tab"))
box.add(pages)
window.add(box)
window.connect("destroy", Gtk.main_quit)
window.show_all()


def announce():
    print("ready", flush=True)
    return False


GLib.timeout_add(300, announce)
Gtk.main()
