<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>AboutWindow</name>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Check for an update</source>
        <translation>Nach Updates suchen</translation>
    </message>
    <message>
        <source>Closes the About window.</source>
        <translation>Schließt das Info-Fenster.</translation>
    </message>
    <message>
        <source>Opens the program&apos;s web page in the web browser.</source>
        <translation>Öffnet die Webseite des Programms im Browser.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>only one command at a time</source>
        <translation>nur ein Befehl auf einmal</translation>
    </message>
    <message>
        <source>--add needs at least one file or folder</source>
        <translation>--add braucht mindestens eine Datei oder einen Ordner</translation>
    </message>
    <message>
        <source>unknown argument &apos;%1&apos;</source>
        <translation>unbekanntes Argument „%1“</translation>
    </message>
    <message>
        <source>Usage: %1</source>
        <translation>Aufruf: %1</translation>
    </message>
    <message>
        <source>show the next wallpaper</source>
        <translation>das nächste Hintergrundbild zeigen</translation>
    </message>
    <message>
        <source>show the previous wallpaper</source>
        <translation>das vorige Hintergrundbild zeigen</translation>
    </message>
    <message>
        <source>show a random wallpaper</source>
        <translation>ein zufälliges Hintergrundbild zeigen</translation>
    </message>
    <message>
        <source>show the main window</source>
        <translation>das Hauptfenster zeigen</translation>
    </message>
    <message>
        <source>add pictures and folders (with their subfolders) to
the collection</source>
        <extracomment>Lines of at most 58 characters: each stands indented under the first.</extracomment>
        <translation>Bilder und Ordner (mit ihren Unterordnern) zur Sammlung
hinzufügen</translation>
    </message>
    <message>
        <source>print this help</source>
        <translation>diese Hilfe ausgeben</translation>
    </message>
    <message>
        <source>print the version</source>
        <translation>die Version ausgeben</translation>
    </message>
    <message>
        <source>A wallpaper changer that lives in the notification area.</source>
        <extracomment>The first line of the help, under the usage.</extracomment>
        <translation>Ein Hintergrundbild-Wechsler, der im Infobereich wohnt.</translation>
    </message>
    <message>
        <source>A command goes to the program already running on this desktop; when
none is running, the program starts and then carries it out. Bind
these commands to keys where the desktop offers no global hotkeys.</source>
        <extracomment>Lines of at most 72 characters.</extracomment>
        <translation>Ein Befehl geht an das Programm, das auf dieser Arbeitsfläche schon
läuft; läuft keines, startet das Programm und führt ihn dann aus. Legen
Sie diese Befehle auf Tasten, wo die Arbeitsfläche keine globalen
Tastenkürzel bietet.</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Do you realy want to exit?</source>
        <translation>Wirklich beenden?</translation>
    </message>
    <message>
        <source>Are you sure you want to delete %1?<byte value="xd"/>
<byte value="xd"/>
Warning: this action will delete this file from disk, and cannot be undone!</source>
        <translation>%1 wirklich löschen?<byte value="xd"/>
<byte value="xd"/>
Achtung: Die Datei wird vom Datenträger gelöscht; das lässt sich nicht rückgängig machen!</translation>
    </message>
    <message>
        <source>The program is already running</source>
        <translation>Das Programm läuft bereits</translation>
    </message>
    <message>
        <source>The program does not start: it cannot make sure that no other copy of it runs.</source>
        <translation>Das Programm startet nicht: Es kann nicht sicherstellen, dass keine andere Kopie läuft.</translation>
    </message>
</context>
<context>
    <name>FolderDialog</name>
    <message>
        <source>Browse For Folder</source>
        <translation>Ordner auswählen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Include subfolders</source>
        <translation>Mit Unterordnern</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
</context>
<context>
    <name>GlobalKey</name>
    <message>
        <source>BackSpace</source>
        <translation>Rücktaste</translation>
    </message>
    <message>
        <source>Tab</source>
        <translation>Tab</translation>
    </message>
    <message>
        <source>Enter</source>
        <translation>Eingabe</translation>
    </message>
    <message>
        <source>Shift</source>
        <translation>Umschalt</translation>
    </message>
    <message>
        <source>Ctrl</source>
        <translation>Strg</translation>
    </message>
    <message>
        <source>Alt</source>
        <translation>Alt</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>CapsLock</source>
        <translation>Feststell</translation>
    </message>
    <message>
        <source>Esc</source>
        <translation>Esc</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>Leertaste</translation>
    </message>
    <message>
        <source>PgUp</source>
        <translation>Bild auf</translation>
    </message>
    <message>
        <source>PgDown</source>
        <translation>Bild ab</translation>
    </message>
    <message>
        <source>End</source>
        <translation>Ende</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Pos1</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>Links</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>Oben</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>Rechts</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>Unten</translation>
    </message>
    <message>
        <source>PrintScreen</source>
        <translation>Druck</translation>
    </message>
    <message>
        <source>Insert</source>
        <translation>Einfg</translation>
    </message>
    <message>
        <source>Del</source>
        <translation>Entf</translation>
    </message>
    <message>
        <source>NumLock</source>
        <translation>Num</translation>
    </message>
    <message>
        <source>ScrollLock</source>
        <translation>Rollen</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>Ausblenden</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Random</source>
        <translation>Zufällig</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Übernehmen</translation>
    </message>
    <message>
        <source>Last</source>
        <translation>Letztes</translation>
    </message>
    <message>
        <source>First</source>
        <translation>Erstes</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Random order</source>
        <translation>Zufällige Reihenfolge</translation>
    </message>
    <message>
        <source>Automatic change</source>
        <translation>Automatischer Wechsel</translation>
    </message>
    <message>
        <source>Fewer hours</source>
        <translation>Weniger Stunden</translation>
    </message>
    <message>
        <source>Fewer minutes</source>
        <translation>Weniger Minuten</translation>
    </message>
    <message>
        <source>More hours</source>
        <translation>Mehr Stunden</translation>
    </message>
    <message>
        <source>More minutes</source>
        <translation>Mehr Minuten</translation>
    </message>
    <message>
        <source>Manager</source>
        <translation>Verwaltung</translation>
    </message>
    <message>
        <source>First picture (Home)</source>
        <translation>Erstes Bild (Pos1)</translation>
    </message>
    <message>
        <source>Shows the first picture. With the right mouse button it also becomes the wallpaper.</source>
        <translation>Zeigt das erste Bild. Mit der rechten Maustaste wird es auch Hintergrundbild.</translation>
    </message>
    <message>
        <source>Previous picture (Left)</source>
        <translation>Vorheriges Bild (Links)</translation>
    </message>
    <message>
        <source>Shows the previous picture. With the right mouse button, Up or Page Up it also becomes the wallpaper.</source>
        <translation>Zeigt das vorherige Bild. Mit der rechten Maustaste, Oben oder Bild auf wird es auch Hintergrundbild.</translation>
    </message>
    <message>
        <source>Random picture (Space also sets it)</source>
        <translation>Zufälliges Bild (Leertaste setzt es auch)</translation>
    </message>
    <message>
        <source>Shows a picture chosen at random. With the right mouse button or Space it also becomes the wallpaper.</source>
        <translation>Zeigt ein zufällig gewähltes Bild. Mit der rechten Maustaste oder der Leertaste wird es auch Hintergrundbild.</translation>
    </message>
    <message>
        <source>Next picture (Right)</source>
        <translation>Nächstes Bild (Rechts)</translation>
    </message>
    <message>
        <source>Shows the next picture. With the right mouse button, Down or Page Down it also becomes the wallpaper.</source>
        <translation>Zeigt das nächste Bild. Mit der rechten Maustaste, Unten oder Bild ab wird es auch Hintergrundbild.</translation>
    </message>
    <message>
        <source>Last picture (End)</source>
        <translation>Letztes Bild (Ende)</translation>
    </message>
    <message>
        <source>Shows the last picture. With the right mouse button it also becomes the wallpaper.</source>
        <translation>Zeigt das letzte Bild. Mit der rechten Maustaste wird es auch Hintergrundbild.</translation>
    </message>
    <message>
        <source>Set as wallpaper (Enter)</source>
        <translation>Als Hintergrundbild (Eingabe)</translation>
    </message>
    <message>
        <source>Makes the picture shown the desktop wallpaper.</source>
        <translation>Macht das gezeigte Bild zum Hintergrundbild.</translation>
    </message>
    <message>
        <source>Opens the settings: start at logon, change at start-up, hotkeys.</source>
        <translation>Öffnet die Einstellungen: Start bei Anmeldung, Wechsel beim Start, Tastenkürzel.</translation>
    </message>
    <message>
        <source>About Quorvane (F1)</source>
        <translation>Über Quorvane (F1)</translation>
    </message>
    <message>
        <source>Shows the version and the web page.</source>
        <translation>Zeigt die Version und die Webseite.</translation>
    </message>
    <message>
        <source>Picture manager</source>
        <translation>Bildverwaltung</translation>
    </message>
    <message>
        <source>Opens the picture manager, where pictures and folders are added and removed.</source>
        <translation>Öffnet die Bildverwaltung, in der Bilder und Ordner hinzugefügt und entfernt werden.</translation>
    </message>
    <message>
        <source>Hide to the notification area (Esc)</source>
        <translation>In den Infobereich (Esc)</translation>
    </message>
    <message>
        <source>Hides the window; the notification-area icon brings it back.</source>
        <translation>Blendet das Fenster aus; das Symbol im Infobereich holt es zurück.</translation>
    </message>
    <message>
        <source>Asks, then ends the program.</source>
        <translation>Fragt nach und beendet das Programm.</translation>
    </message>
    <message>
        <source>One hour less (Down)</source>
        <translation>Eine Stunde weniger (Unten)</translation>
    </message>
    <message>
        <source>Shortens the interval of the automatic change by an hour. Up and Down step the hours while this button has the focus.</source>
        <translation>Verkürzt den Abstand des automatischen Wechsels um eine Stunde. Oben und Unten ändern die Stunden, solange diese Schaltfläche den Fokus hat.</translation>
    </message>
    <message>
        <source>One hour more (Up)</source>
        <translation>Eine Stunde mehr (Oben)</translation>
    </message>
    <message>
        <source>Lengthens the interval of the automatic change by an hour. Up and Down step the hours while this button has the focus.</source>
        <translation>Verlängert den Abstand des automatischen Wechsels um eine Stunde. Oben und Unten ändern die Stunden, solange diese Schaltfläche den Fokus hat.</translation>
    </message>
    <message>
        <source>One minute less (Down)</source>
        <translation>Eine Minute weniger (Unten)</translation>
    </message>
    <message>
        <source>Shortens the interval of the automatic change by a minute. Up and Down step the minutes while this button has the focus.</source>
        <translation>Verkürzt den Abstand des automatischen Wechsels um eine Minute. Oben und Unten ändern die Minuten, solange diese Schaltfläche den Fokus hat.</translation>
    </message>
    <message>
        <source>One minute more (Up)</source>
        <translation>Eine Minute mehr (Oben)</translation>
    </message>
    <message>
        <source>Lengthens the interval of the automatic change by a minute. Up and Down step the minutes while this button has the focus.</source>
        <translation>Verlängert den Abstand des automatischen Wechsels um eine Minute. Oben und Unten ändern die Minuten, solange diese Schaltfläche den Fokus hat.</translation>
    </message>
    <message>
        <source>Automatic change on or off (Space)</source>
        <translation>Automatischer Wechsel ein/aus (Leertaste)</translation>
    </message>
    <message>
        <source>Changes the wallpaper by itself at the interval set with the hours and minutes.</source>
        <translation>Wechselt das Hintergrundbild selbst im eingestellten Abstand aus Stunden und Minuten.</translation>
    </message>
    <message>
        <source>Random order on or off (Space)</source>
        <translation>Zufällige Reihenfolge ein/aus (Leertaste)</translation>
    </message>
    <message>
        <source>The automatic change picks pictures at random instead of in list order.</source>
        <translation>Der automatische Wechsel wählt Bilder zufällig statt in Listenreihenfolge.</translation>
    </message>
    <message>
        <source>Hours of the change interval</source>
        <translation>Stunden des Wechselabstands</translation>
    </message>
    <message>
        <source>Minutes of the change interval</source>
        <translation>Minuten des Wechselabstands</translation>
    </message>
    <message>
        <source>Position in the collection</source>
        <translation>Position in der Sammlung</translation>
    </message>
    <message>
        <source>File name</source>
        <translation>Dateiname</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Preview strip</source>
        <translation>Vorschauleiste</translation>
    </message>
    <message>
        <source>Quorvane</source>
        <translation>Quorvane</translation>
    </message>
    <message>
        <source>Left and Right show the previous and next picture, Home and End the first and last; Up, Down, Page Up and Page Down also set it as the wallpaper; Space sets a random one, Enter the one shown; Delete removes it from the collection, Shift+Delete also deletes the file; F1 shows About; Esc hides the window; Tab moves through the buttons.</source>
        <translation>Links und Rechts zeigen das vorherige und nächste Bild, Pos1 und Ende das erste und letzte; Oben, Unten, Bild auf und Bild ab setzen es auch als Hintergrundbild; die Leertaste setzt ein zufälliges, Eingabe das gezeigte; Entf entfernt es aus der Sammlung, Umschalt+Entf löscht auch die Datei; F1 zeigt die Info; Esc blendet das Fenster aus; Tab wechselt zwischen den Schaltflächen.</translation>
    </message>
    <message>
        <source>on monitor %1 of %2</source>
        <translation>auf Bildschirm %1 von %2</translation>
    </message>
    <message>
        <source>Please, add wallpapers in the manager &gt;&gt;&gt;</source>
        <translation>Bitte fügen Sie in der Verwaltung Hintergrundbilder hinzu &gt;&gt;&gt;</translation>
    </message>
</context>
<context>
    <name>NoticeBoard</name>
    <message>
        <source>Pictures removed</source>
        <translation>Bilder entfernt</translation>
    </message>
    <message>
        <source>Not added</source>
        <translation>Nicht hinzugefügt</translation>
    </message>
    <message>
        <source>Wallpaper not set</source>
        <translation>Hintergrundbild nicht gesetzt</translation>
    </message>
</context>
<context>
    <name>Notices</name>
    <message>
        <source>1 item was not added because it is neither a picture (JPEG, PNG, BMP) nor a folder: %1.</source>
        <translation>1 Element wurde nicht hinzugefügt, da es weder ein Bild (JPEG, PNG, BMP) noch ein Ordner ist: %1.</translation>
    </message>
    <message>
        <source>%L1 items were not added because they are neither pictures (JPEG, PNG, BMP) nor folders: %2.</source>
        <translation>%L1 Elemente wurden nicht hinzugefügt, da sie weder Bilder (JPEG, PNG, BMP) noch Ordner sind: %2.</translation>
    </message>
    <message>
        <source>1 picture left the collection because it cannot be read: %1.</source>
        <translation>1 Bild wurde aus der Sammlung entfernt, da es nicht lesbar ist: %1.</translation>
    </message>
    <message>
        <source>%L1 pictures left the collection because they cannot be read: %2.</source>
        <translation>%L1 Bilder wurden aus der Sammlung entfernt, da sie nicht lesbar sind: %2.</translation>
    </message>
    <message>
        <source>The wallpaper could not be set from this picture: %1.</source>
        <translation>Aus diesem Bild ließ sich kein Hintergrundbild machen: %1.</translation>
    </message>
    <message>
        <source>The wallpaper could not be set from %L1 pictures: %2.</source>
        <translation>Aus %L1 Bildern ließ sich kein Hintergrundbild machen: %2.</translation>
    </message>
    <message>
        <source> and %L1 more</source>
        <translation> und %L1 weitere</translation>
    </message>
    <message>
        <source>One picture was not added because its file name contains a line break.</source>
        <translation>Ein Bild wurde nicht hinzugefügt, da sein Dateiname einen Zeilenumbruch enthält.</translation>
    </message>
    <message>
        <source>%L1 pictures were not added because their file names contain line breaks.</source>
        <translation>%L1 Bilder wurden nicht hinzugefügt, da ihre Dateinamen Zeilenumbrüche enthalten.</translation>
    </message>
</context>
<context>
    <name>PictureManager</name>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Add images</source>
        <translation>Bilder hinzufügen</translation>
    </message>
    <message>
        <source>Add Folders</source>
        <translation>Ordner hinzufügen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Leeren</translation>
    </message>
    <message>
        <source>Close the manager</source>
        <translation>Verwaltung schließen</translation>
    </message>
    <message>
        <source>Closes the manager and keeps its list.</source>
        <translation>Schließt die Verwaltung und behält ihre Liste.</translation>
    </message>
    <message>
        <source>Add pictures</source>
        <translation>Bilder hinzufügen</translation>
    </message>
    <message>
        <source>Adds picture files chosen in a file dialog.</source>
        <translation>Fügt in einem Dateidialog gewählte Bilddateien hinzu.</translation>
    </message>
    <message>
        <source>Add a folder</source>
        <translation>Ordner hinzufügen</translation>
    </message>
    <message>
        <source>Adds the pictures of a folder, with or without its subfolders.</source>
        <translation>Fügt die Bilder eines Ordners hinzu, mit oder ohne Unterordner.</translation>
    </message>
    <message>
        <source>Remove the selected picture (Delete)</source>
        <translation>Gewähltes Bild entfernen (Entf)</translation>
    </message>
    <message>
        <source>Removes the selected picture from the list; Shift+Delete in the list also deletes its file.</source>
        <translation>Entfernt das gewählte Bild aus der Liste; Umschalt+Entf in der Liste löscht auch die Datei.</translation>
    </message>
    <message>
        <source>Clear the list</source>
        <translation>Liste leeren</translation>
    </message>
    <message>
        <source>Removes every picture from the list.</source>
        <translation>Entfernt alle Bilder aus der Liste.</translation>
    </message>
    <message>
        <source>Pictures</source>
        <translation>Bilder</translation>
    </message>
    <message>
        <source>Please wait...</source>
        <translation>Bitte warten...</translation>
    </message>
    <message>
        <source>Pictures (%1)</source>
        <translation>Bilder (%1)</translation>
    </message>
    <message>
        <source>Remove 1 picture from the collection?

The picture file stays on disk; the thumbnail cache is emptied.</source>
        <translation>1 Bild aus der Sammlung entfernen?

Die Bilddatei bleibt erhalten; der Miniaturen-Zwischenspeicher wird geleert.</translation>
    </message>
    <message>
        <source>Remove all %L1 pictures from the collection?

The picture files stay on disk; the thumbnail cache is emptied.</source>
        <translation>Alle %L1 Bilder aus der Sammlung entfernen?

Die Bilddateien bleiben erhalten; der Miniaturen-Zwischenspeicher wird geleert.</translation>
    </message>
</context>
<context>
    <name>SettingsWindow</name>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Start at logon</source>
        <translation>Start bei Anmeldung</translation>
    </message>
    <message>
        <source>Change the wallpaper at start-up</source>
        <translation>Hintergrund beim Start wechseln</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Übernehmen</translation>
    </message>
    <message>
        <source>Hotkeys</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message>
        <source>Clear the random wallpaper hotkey</source>
        <translation>Kürzel für zufälliges Bild leeren</translation>
    </message>
    <message>
        <source>Clear the next wallpaper hotkey</source>
        <translation>Kürzel für nächstes Bild leeren</translation>
    </message>
    <message>
        <source>Clear the previous wallpaper hotkey</source>
        <translation>Kürzel für vorheriges Bild leeren</translation>
    </message>
    <message>
        <source>Start at logon (Space)</source>
        <translation>Start bei Anmeldung (Leertaste)</translation>
    </message>
    <message>
        <source>Starts the program when you log on.</source>
        <translation>Startet das Programm, wenn Sie sich anmelden.</translation>
    </message>
    <message>
        <source>Change the wallpaper at start-up (Space)</source>
        <translation>Hintergrund beim Start wechseln (Leertaste)</translation>
    </message>
    <message>
        <source>Sets a random picture as the wallpaper when the program starts.</source>
        <translation>Setzt beim Programmstart ein zufälliges Bild als Hintergrund.</translation>
    </message>
    <message>
        <source>Hotkeys on or off (Space)</source>
        <translation>Tastenkürzel ein/aus (Leertaste)</translation>
    </message>
    <message>
        <source>Lets the three hotkeys below change the wallpaper from any program.</source>
        <translation>Die drei Tastenkürzel unten wechseln den Hintergrund aus jedem Programm.</translation>
    </message>
    <message>
        <source>Applies the settings and closes.</source>
        <translation>Übernimmt die Einstellungen und schließt.</translation>
    </message>
    <message>
        <source>Closes without applying.</source>
        <translation>Schließt ohne Übernehmen.</translation>
    </message>
    <message>
        <source>Empties the hotkey field beside this button.</source>
        <translation>Leert das Tastenkürzel-Feld neben dieser Schaltfläche.</translation>
    </message>
    <message>
        <source>Random wallpaper hotkey</source>
        <translation>Kürzel für zufälliges Bild</translation>
    </message>
    <message>
        <source>Next wallpaper hotkey</source>
        <translation>Kürzel für nächstes Bild</translation>
    </message>
    <message>
        <source>Previous wallpaper hotkey</source>
        <translation>Kürzel für vorheriges Bild</translation>
    </message>
    <message>
        <source>Placement</source>
        <translation>Modus</translation>
    </message>
    <message>
        <source>Fill</source>
        <translation>Füllen</translation>
    </message>
    <message>
        <source>Fit</source>
        <translation>Einpassen</translation>
    </message>
    <message>
        <source>Stretch</source>
        <translation>Strecken</translation>
    </message>
    <message>
        <source>Center</source>
        <translation>Zentriert</translation>
    </message>
    <message>
        <source>Tile</source>
        <translation>Kacheln</translation>
    </message>
    <message>
        <source>Span</source>
        <translation>Über alle</translation>
    </message>
    <message>
        <source>Background colour</source>
        <translation>Hintergrundfarbe</translation>
    </message>
    <message>
        <source>Colour around a picture that does not fill the screen</source>
        <translation>Farbe um ein Bild, das den Bildschirm nicht füllt</translation>
    </message>
    <message>
        <source>The logo key cannot be part of a hotkey</source>
        <translation>Die Logo-Taste ist in Kürzeln nicht möglich</translation>
    </message>
    <message>
        <source>This key cannot be a hotkey</source>
        <translation>Diese Taste geht nicht als Kürzel</translation>
    </message>
    <message>
        <source>%1 belongs to the system</source>
        <translation>%1 gehört dem System</translation>
    </message>
    <message>
        <source>Add Ctrl or Alt: other programs need this key</source>
        <translation>Strg oder Alt dazu: andere Programme brauchen die Taste</translation>
    </message>
    <message>
        <source>Another program uses this combination</source>
        <translation>Ein anderes Programm nutzt dieses Kürzel</translation>
    </message>
    <message>
        <source>No key of this keyboard makes this combination</source>
        <translation>Keine Taste dieser Tastatur ergibt dieses Kürzel</translation>
    </message>
    <message>
        <source>Monitors</source>
        <translation>Bildschirme</translation>
    </message>
    <message>
        <source>The same picture on every monitor, or a different picture on each monitor, the monitors taking new pictures in turn</source>
        <translation>Dasselbe Bild auf jedem Bildschirm oder ein eigenes Bild auf jedem Bildschirm, wobei die Bildschirme neue Bilder der Reihe nach erhalten</translation>
    </message>
    <message>
        <source>All the same</source>
        <translation>Alle gleich</translation>
    </message>
    <message>
        <source>Each its own</source>
        <translation>Jeweils eigenes</translation>
    </message>
</context>
<context>
    <name>Skin</name>
    <message>
        <source>ON</source>
        <extracomment>On the switches, in capitals: the on and off states.</extracomment>
        <translation>EIN</translation>
    </message>
    <message>
        <source>OFF</source>
        <extracomment>On the switches, in capitals: the on and off states.</extracomment>
        <translation>AUS</translation>
    </message>
    <message>
        <source>Manager</source>
        <translation>Verwaltung</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Number</source>
        <translation>Nummer</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>BROWSE</source>
        <translation>BLÄTTERN</translation>
    </message>
    <message>
        <source>WALLPAPER</source>
        <translation>HINTERGRUND</translation>
    </message>
    <message>
        <source>AUTOMATIC CHANGE</source>
        <translation>AUTOMATISCHER WECHSEL</translation>
    </message>
    <message>
        <source>First</source>
        <translation>Anfang</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Random</source>
        <translation>Zufall</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <source>Last</source>
        <translation>Ende</translation>
    </message>
    <message>
        <source>Param.</source>
        <extracomment>Short for the settings (parameters).</extracomment>
        <translation>Einst.</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Übernehmen</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>h</source>
        <extracomment>Short for hours, over the hours of the change interval.</extracomment>
        <translation>Std.</translation>
    </message>
    <message>
        <source>min</source>
        <extracomment>Short for minutes, over the minutes of the change interval.</extracomment>
        <translation>Min.</translation>
    </message>
    <message>
        <source>On/Off</source>
        <extracomment>Over the switch that turns the automatic change on and off.</extracomment>
        <translation>Ein/Aus</translation>
    </message>
    <message>
        <source>Add images</source>
        <translation>Bilder hinzufügen</translation>
    </message>
    <message>
        <source>Add folders</source>
        <translation>Ordner hinzufügen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Leeren</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Start when I log on</source>
        <translation>Beim Login starten</translation>
    </message>
    <message>
        <source>Change the image at application start-up</source>
        <translation>Bild beim Programmstart wechseln</translation>
    </message>
    <message>
        <source>Change the wallpaper by global hotkeys</source>
        <translation>Hintergrund mit globalen Tastenkürzeln wechseln</translation>
    </message>
    <message>
        <source>Random wallpaper</source>
        <translation>Zufälliges Bild</translation>
    </message>
    <message>
        <source>Next wallpaper</source>
        <translation>Nächstes Bild</translation>
    </message>
    <message>
        <source>Previous wallpaper</source>
        <translation>Vorheriges Bild</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Check for an update</source>
        <translation>Nach Updates suchen</translation>
    </message>
    <message>
        <source>Apply</source>
        <comment>the picture as the wallpaper</comment>
        <translation>Anwenden</translation>
    </message>
    <message>
        <source>Random</source>
        <comment>the order of the automatic change</comment>
        <translation>Zufällig</translation>
    </message>
</context>
<context>
    <name>TrayIcon</name>
    <message>
        <source>Next Wallpaper</source>
        <translation>Nächstes Hintergrundbild</translation>
    </message>
    <message>
        <source>Prev Wallpaper</source>
        <translation>Vorheriges Hintergrundbild</translation>
    </message>
    <message>
        <source>Random Wallpaper</source>
        <translation>Zufälliges Hintergrundbild</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
</context>
</TS>
