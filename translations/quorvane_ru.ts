<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru" sourcelanguage="en">
<context>
    <name>AboutWindow</name>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check for an update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Closes the About window.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opens the program&apos;s web page in the web browser.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Do you realy want to exit?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Are you sure you want to delete %1?<byte value="xd"/>
<byte value="xd"/>
Warning: this action will delete this file from disk, and cannot be undone!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The program is already running</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The program does not start: it cannot make sure that no other copy of it runs.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FolderDialog</name>
    <message>
        <source>Browse For Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Include subfolders</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Folder</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>GlobalKey</name>
    <message>
        <source>BackSpace</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shift</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pause</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CapsLock</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Esc</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Space</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PgUp</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PgDown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>End</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Home</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Right</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Down</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PrintScreen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Insert</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Del</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>NumLock</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ScrollLock</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hide</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Random</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Apply</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>First</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Random order</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Automatic change</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fewer hours</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fewer minutes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>More hours</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>More minutes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Manager</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>First picture (Home)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shows the first picture. With the right mouse button it also becomes the wallpaper.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Previous picture (Left)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shows the previous picture. With the right mouse button, Up or Page Up it also becomes the wallpaper.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Random picture (Space also sets it)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shows a picture chosen at random. With the right mouse button or Space it also becomes the wallpaper.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next picture (Right)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shows the next picture. With the right mouse button, Down or Page Down it also becomes the wallpaper.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last picture (End)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shows the last picture. With the right mouse button it also becomes the wallpaper.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set as wallpaper (Enter)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Makes the picture shown the desktop wallpaper.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opens the settings: start at logon, change at start-up, hotkeys.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About Quorvane (F1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shows the version and the web page.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Picture manager</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opens the picture manager, where pictures and folders are added and removed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hide to the notification area (Esc)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hides the window; the notification-area icon brings it back.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Asks, then ends the program.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>One hour less (Down)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shortens the interval of the automatic change by an hour. Up and Down step the hours while this button has the focus.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>One hour more (Up)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lengthens the interval of the automatic change by an hour. Up and Down step the hours while this button has the focus.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>One minute less (Down)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shortens the interval of the automatic change by a minute. Up and Down step the minutes while this button has the focus.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>One minute more (Up)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lengthens the interval of the automatic change by a minute. Up and Down step the minutes while this button has the focus.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Automatic change on or off (Space)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Changes the wallpaper by itself at the interval set with the hours and minutes.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Random order on or off (Space)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The automatic change picks pictures at random instead of in list order.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hours of the change interval</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Minutes of the change interval</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Position in the collection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preview strip</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quorvane</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Left and Right show the previous and next picture, Home and End the first and last; Up, Down, Page Up and Page Down also set it as the wallpaper; Space sets a random one, Enter the one shown; Delete removes it from the collection, Shift+Delete also deletes the file; F1 shows About; Esc hides the window; Tab moves through the buttons.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>NoticeBoard</name>
    <message>
        <source>Pictures removed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not added</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wallpaper not set</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Notices</name>
    <message>
        <source>1 item was not added because it is neither a picture (JPEG, PNG, BMP) nor a folder: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%L1 items were not added because they are neither pictures (JPEG, PNG, BMP) nor folders: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 picture left the collection because it cannot be read: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%L1 pictures left the collection because they cannot be read: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The wallpaper could not be set from this picture: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The wallpaper could not be set from %L1 pictures: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> and %L1 more</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>One picture was not added because its file name contains a line break.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%L1 pictures were not added because their file names contain line breaks.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PictureManager</name>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add images</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add Folders</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close the manager</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Closes the manager and keeps its list.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add pictures</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Adds picture files chosen in a file dialog.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add a folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Adds the pictures of a folder, with or without its subfolders.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove the selected picture (Delete)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Removes the selected picture from the list; Shift+Delete in the list also deletes its file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear the list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Removes every picture from the list.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pictures</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please wait...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pictures (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove 1 picture from the collection?

The picture file stays on disk; the thumbnail cache is emptied.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove all %L1 pictures from the collection?

The picture files stay on disk; the thumbnail cache is emptied.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingsWindow</name>
    <message>
        <source>Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start at logon</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Change the wallpaper at start-up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Apply</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hotkeys</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear the random wallpaper hotkey</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear the next wallpaper hotkey</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear the previous wallpaper hotkey</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start at logon (Space)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Starts the program when you log on.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Change the wallpaper at start-up (Space)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sets a random picture as the wallpaper when the program starts.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hotkeys on or off (Space)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lets the three hotkeys below change the wallpaper from any program.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Applies the settings and closes.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Closes without applying.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Empties the hotkey field beside this button.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Random wallpaper hotkey</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next wallpaper hotkey</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Previous wallpaper hotkey</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Placement</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fill</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stretch</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Center</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tile</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Span</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Background colour</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Colour around a picture that does not fill the screen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The logo key cannot be part of a hotkey</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This key cannot be a hotkey</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 belongs to the system</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add Ctrl or Alt: other programs need this key</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Another program uses this combination</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No key of this keyboard makes this combination</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TrayIcon</name>
    <message>
        <source>Next Wallpaper</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Prev Wallpaper</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Random Wallpaper</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exit</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
