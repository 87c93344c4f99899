<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es" sourcelanguage="en">
<context>
    <name>AboutWindow</name>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>Check for an update</source>
        <translation>Buscar actualizaciones</translation>
    </message>
    <message>
        <source>Closes the About window.</source>
        <translation>Cierra la ventana Acerca de.</translation>
    </message>
    <message>
        <source>Opens the program&apos;s web page in the web browser.</source>
        <translation>Abre la página web del programa en el navegador.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>only one command at a time</source>
        <translation>solo una orden a la vez</translation>
    </message>
    <message>
        <source>--add needs at least one file or folder</source>
        <translation>--add necesita al menos un archivo o una carpeta</translation>
    </message>
    <message>
        <source>unknown argument &apos;%1&apos;</source>
        <translation>argumento desconocido «%1»</translation>
    </message>
    <message>
        <source>Usage: %1</source>
        <translation>Uso: %1</translation>
    </message>
    <message>
        <source>show the next wallpaper</source>
        <translation>mostrar el fondo siguiente</translation>
    </message>
    <message>
        <source>show the previous wallpaper</source>
        <translation>mostrar el fondo anterior</translation>
    </message>
    <message>
        <source>show a random wallpaper</source>
        <translation>mostrar un fondo al azar</translation>
    </message>
    <message>
        <source>show the main window</source>
        <translation>mostrar la ventana principal</translation>
    </message>
    <message>
        <source>add pictures and folders (with their subfolders) to
the collection</source>
        <extracomment>Lines of at most 58 characters: each stands indented under the first.</extracomment>
        <translation>añadir imágenes y carpetas (con sus subcarpetas) a la
colección</translation>
    </message>
    <message>
        <source>print this help</source>
        <translation>mostrar esta ayuda</translation>
    </message>
    <message>
        <source>print the version</source>
        <translation>mostrar la versión</translation>
    </message>
    <message>
        <source>A wallpaper changer that lives in the notification area.</source>
        <extracomment>The first line of the help, under the usage.</extracomment>
        <translation>Un cambiador de fondos de escritorio que vive en el área de notificación.</translation>
    </message>
    <message>
        <source>A command goes to the program already running on this desktop; when
none is running, the program starts and then carries it out. Bind
these commands to keys where the desktop offers no global hotkeys.</source>
        <extracomment>Lines of at most 72 characters.</extracomment>
        <translation>Una orden va al programa que ya se ejecuta en este escritorio; si no
hay ninguno, el programa se inicia y luego la ejecuta. Asigne estas
órdenes a teclas donde el escritorio no ofrezca atajos globales.</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Do you realy want to exit?</source>
        <translation>¿Seguro que desea salir?</translation>
    </message>
    <message>
        <source>Are you sure you want to delete %1?<byte value="xd"/>
<byte value="xd"/>
Warning: this action will delete this file from disk, and cannot be undone!</source>
        <translation>¿Seguro que desea eliminar %1?<byte value="xd"/>
<byte value="xd"/>
Atención: el archivo se eliminará del disco y no se puede deshacer.</translation>
    </message>
    <message>
        <source>The program is already running</source>
        <translation>El programa ya se está ejecutando</translation>
    </message>
    <message>
        <source>The program does not start: it cannot make sure that no other copy of it runs.</source>
        <translation>El programa no se inicia: no puede asegurarse de que no haya otra copia en ejecución.</translation>
    </message>
</context>
<context>
    <name>FolderDialog</name>
    <message>
        <source>Browse For Folder</source>
        <translation>Seleccionar carpeta</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Include subfolders</source>
        <translation>Incluir subcarpetas</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Carpeta</translation>
    </message>
</context>
<context>
    <name>GlobalKey</name>
    <message>
        <source>BackSpace</source>
        <translation>Retroceso</translation>
    </message>
    <message>
        <source>Tab</source>
        <translation>Tab</translation>
    </message>
    <message>
        <source>Enter</source>
        <translation>Intro</translation>
    </message>
    <message>
        <source>Shift</source>
        <translation>Mayús</translation>
    </message>
    <message>
        <source>Ctrl</source>
        <translation>Ctrl</translation>
    </message>
    <message>
        <source>Alt</source>
        <translation>Alt</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pausa</translation>
    </message>
    <message>
        <source>CapsLock</source>
        <translation>BloqMayús</translation>
    </message>
    <message>
        <source>Esc</source>
        <translation>Esc</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>Espacio</translation>
    </message>
    <message>
        <source>PgUp</source>
        <translation>RePág</translation>
    </message>
    <message>
        <source>PgDown</source>
        <translation>AvPág</translation>
    </message>
    <message>
        <source>End</source>
        <translation>Fin</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Inicio</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>Izquierda</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>Arriba</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>Derecha</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>Abajo</translation>
    </message>
    <message>
        <source>PrintScreen</source>
        <translation>ImprPant</translation>
    </message>
    <message>
        <source>Insert</source>
        <translation>Insert</translation>
    </message>
    <message>
        <source>Del</source>
        <translation>Supr</translation>
    </message>
    <message>
        <source>NumLock</source>
        <translation>BloqNum</translation>
    </message>
    <message>
        <source>ScrollLock</source>
        <translation>BloqDespl</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Settings</source>
        <translation>Ajustes</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Salir</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>Ocultar</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Siguiente</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Anterior</translation>
    </message>
    <message>
        <source>Random</source>
        <translation>Aleatoria</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Aplicar</translation>
    </message>
    <message>
        <source>Last</source>
        <translation>Última</translation>
    </message>
    <message>
        <source>First</source>
        <translation>Primera</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Ayuda</translation>
    </message>
    <message>
        <source>Random order</source>
        <translation>Orden aleatorio</translation>
    </message>
    <message>
        <source>Automatic change</source>
        <translation>Cambio automático</translation>
    </message>
    <message>
        <source>Fewer hours</source>
        <translation>Menos horas</translation>
    </message>
    <message>
        <source>Fewer minutes</source>
        <translation>Menos minutos</translation>
    </message>
    <message>
        <source>More hours</source>
        <translation>Más horas</translation>
    </message>
    <message>
        <source>More minutes</source>
        <translation>Más minutos</translation>
    </message>
    <message>
        <source>Manager</source>
        <translation>Gestor</translation>
    </message>
    <message>
        <source>First picture (Home)</source>
        <translation>Primera imagen (Inicio)</translation>
    </message>
    <message>
        <source>Shows the first picture. With the right mouse button it also becomes the wallpaper.</source>
        <translation>Muestra la primera imagen. Con el botón derecho también pasa a ser el fondo.</translation>
    </message>
    <message>
        <source>Previous picture (Left)</source>
        <translation>Imagen anterior (Izquierda)</translation>
    </message>
    <message>
        <source>Shows the previous picture. With the right mouse button, Up or Page Up it also becomes the wallpaper.</source>
        <translation>Muestra la imagen anterior. Con el botón derecho, Arriba o RePág también pasa a ser el fondo.</translation>
    </message>
    <message>
        <source>Random picture (Space also sets it)</source>
        <translation>Imagen aleatoria (Espacio también la aplica)</translation>
    </message>
    <message>
        <source>Shows a picture chosen at random. With the right mouse button or Space it also becomes the wallpaper.</source>
        <translation>Muestra una imagen elegida al azar. Con el botón derecho o Espacio también pasa a ser el fondo.</translation>
    </message>
    <message>
        <source>Next picture (Right)</source>
        <translation>Imagen siguiente (Derecha)</translation>
    </message>
    <message>
        <source>Shows the next picture. With the right mouse button, Down or Page Down it also becomes the wallpaper.</source>
        <translation>Muestra la imagen siguiente. Con el botón derecho, Abajo o AvPág también pasa a ser el fondo.</translation>
    </message>
    <message>
        <source>Last picture (End)</source>
        <translation>Última imagen (Fin)</translation>
    </message>
    <message>
        <source>Shows the last picture. With the right mouse button it also becomes the wallpaper.</source>
        <translation>Muestra la última imagen. Con el botón derecho también pasa a ser el fondo.</translation>
    </message>
    <message>
        <source>Set as wallpaper (Enter)</source>
        <translation>Poner como fondo (Intro)</translation>
    </message>
    <message>
        <source>Makes the picture shown the desktop wallpaper.</source>
        <translation>Pone la imagen mostrada como fondo de escritorio.</translation>
    </message>
    <message>
        <source>Opens the settings: start at logon, change at start-up, hotkeys.</source>
        <translation>Abre los ajustes: inicio con la sesión, cambio al iniciar, atajos.</translation>
    </message>
    <message>
        <source>About Quorvane (F1)</source>
        <translation>Acerca de Quorvane (F1)</translation>
    </message>
    <message>
        <source>Shows the version and the web page.</source>
        <translation>Muestra la versión y la página web.</translation>
    </message>
    <message>
        <source>Picture manager</source>
        <translation>Gestor de imágenes</translation>
    </message>
    <message>
        <source>Opens the picture manager, where pictures and folders are added and removed.</source>
        <translation>Abre el gestor de imágenes, donde se añaden y quitan imágenes y carpetas.</translation>
    </message>
    <message>
        <source>Hide to the notification area (Esc)</source>
        <translation>Ocultar en el área de notificación (Esc)</translation>
    </message>
    <message>
        <source>Hides the window; the notification-area icon brings it back.</source>
        <translation>Oculta la ventana; el icono del área de notificación la muestra de nuevo.</translation>
    </message>
    <message>
        <source>Asks, then ends the program.</source>
        <translation>Pregunta y cierra el programa.</translation>
    </message>
    <message>
        <source>One hour less (Down)</source>
        <translation>Una hora menos (Abajo)</translation>
    </message>
    <message>
        <source>Shortens the interval of the automatic change by an hour. Up and Down step the hours while this button has the focus.</source>
        <translation>Acorta en una hora el intervalo del cambio automático. Arriba y Abajo cambian las horas mientras este botón tiene el foco.</translation>
    </message>
    <message>
        <source>One hour more (Up)</source>
        <translation>Una hora más (Arriba)</translation>
    </message>
    <message>
        <source>Lengthens the interval of the automatic change by an hour. Up and Down step the hours while this button has the focus.</source>
        <translation>Alarga en una hora el intervalo del cambio automático. Arriba y Abajo cambian las horas mientras este botón tiene el foco.</translation>
    </message>
    <message>
        <source>One minute less (Down)</source>
        <translation>Un minuto menos (Abajo)</translation>
    </message>
    <message>
        <source>Shortens the interval of the automatic change by a minute. Up and Down step the minutes while this button has the focus.</source>
        <translation>Acorta en un minuto el intervalo del cambio automático. Arriba y Abajo cambian los minutos mientras este botón tiene el foco.</translation>
    </message>
    <message>
        <source>One minute more (Up)</source>
        <translation>Un minuto más (Arriba)</translation>
    </message>
    <message>
        <source>Lengthens the interval of the automatic change by a minute. Up and Down step the minutes while this button has the focus.</source>
        <translation>Alarga en un minuto el intervalo del cambio automático. Arriba y Abajo cambian los minutos mientras este botón tiene el foco.</translation>
    </message>
    <message>
        <source>Automatic change on or off (Space)</source>
        <translation>Cambio automático sí/no (Espacio)</translation>
    </message>
    <message>
        <source>Changes the wallpaper by itself at the interval set with the hours and minutes.</source>
        <translation>Cambia el fondo por sí solo con el intervalo fijado en horas y minutos.</translation>
    </message>
    <message>
        <source>Random order on or off (Space)</source>
        <translation>Orden aleatorio sí/no (Espacio)</translation>
    </message>
    <message>
        <source>The automatic change picks pictures at random instead of in list order.</source>
        <translation>El cambio automático elige imágenes al azar en lugar de en el orden de la lista.</translation>
    </message>
    <message>
        <source>Hours of the change interval</source>
        <translation>Horas del intervalo de cambio</translation>
    </message>
    <message>
        <source>Minutes of the change interval</source>
        <translation>Minutos del intervalo de cambio</translation>
    </message>
    <message>
        <source>Position in the collection</source>
        <translation>Posición en la colección</translation>
    </message>
    <message>
        <source>File name</source>
        <translation>Nombre de archivo</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Carpeta</translation>
    </message>
    <message>
        <source>Preview strip</source>
        <translation>Tira de vista previa</translation>
    </message>
    <message>
        <source>Quorvane</source>
        <translation>Quorvane</translation>
    </message>
    <message>
        <source>Left and Right show the previous and next picture, Home and End the first and last; Up, Down, Page Up and Page Down also set it as the wallpaper; Space sets a random one, Enter the one shown; Delete removes it from the collection, Shift+Delete also deletes the file; F1 shows About; Esc hides the window; Tab moves through the buttons.</source>
        <translation>Izquierda y Derecha muestran la imagen anterior y la siguiente, Inicio y Fin la primera y la última; Arriba, Abajo, RePág y AvPág también la ponen de fondo; Espacio pone una al azar, Intro la mostrada; Supr la quita de la colección, Mayús+Supr también borra el archivo; F1 muestra Acerca de; Esc oculta la ventana; Tab recorre los botones.</translation>
    </message>
    <message>
        <source>on monitor %1 of %2</source>
        <translation>en el monitor %1 de %2</translation>
    </message>
    <message>
        <source>Please, add wallpapers in the manager &gt;&gt;&gt;</source>
        <translation>Añada fondos de escritorio en el gestor &gt;&gt;&gt;</translation>
    </message>
</context>
<context>
    <name>NoticeBoard</name>
    <message>
        <source>Pictures removed</source>
        <translation>Imágenes quitadas</translation>
    </message>
    <message>
        <source>Not added</source>
        <translation>No añadido</translation>
    </message>
    <message>
        <source>Wallpaper not set</source>
        <translation>Fondo no aplicado</translation>
    </message>
</context>
<context>
    <name>Notices</name>
    <message>
        <source>1 item was not added because it is neither a picture (JPEG, PNG, BMP) nor a folder: %1.</source>
        <translation>1 elemento no se añadió porque no es una imagen (JPEG, PNG, BMP) ni una carpeta: %1.</translation>
    </message>
    <message>
        <source>%L1 items were not added because they are neither pictures (JPEG, PNG, BMP) nor folders: %2.</source>
        <translation>%L1 elementos no se añadieron porque no son imágenes (JPEG, PNG, BMP) ni carpetas: %2.</translation>
    </message>
    <message>
        <source>1 picture left the collection because it cannot be read: %1.</source>
        <translation>1 imagen salió de la colección porque no se puede leer: %1.</translation>
    </message>
    <message>
        <source>%L1 pictures left the collection because they cannot be read: %2.</source>
        <translation>%L1 imágenes salieron de la colección porque no se pueden leer: %2.</translation>
    </message>
    <message>
        <source>The wallpaper could not be set from this picture: %1.</source>
        <translation>No se pudo poner esta imagen como fondo: %1.</translation>
    </message>
    <message>
        <source>The wallpaper could not be set from %L1 pictures: %2.</source>
        <translation>No se pudo poner como fondo %L1 imágenes: %2.</translation>
    </message>
    <message>
        <source> and %L1 more</source>
        <translation> y %L1 más</translation>
    </message>
    <message>
        <source>One picture was not added because its file name contains a line break.</source>
        <translation>Una imagen no se añadió porque su nombre de archivo contiene un salto de línea.</translation>
    </message>
    <message>
        <source>%L1 pictures were not added because their file names contain line breaks.</source>
        <translation>%L1 imágenes no se añadieron porque sus nombres de archivo contienen saltos de línea.</translation>
    </message>
</context>
<context>
    <name>PictureManager</name>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>Add images</source>
        <translation>Añadir imágenes</translation>
    </message>
    <message>
        <source>Add Folders</source>
        <translation>Añadir carpetas</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Quitar</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Vaciar</translation>
    </message>
    <message>
        <source>Close the manager</source>
        <translation>Cerrar el gestor</translation>
    </message>
    <message>
        <source>Closes the manager and keeps its list.</source>
        <translation>Cierra el gestor y conserva su lista.</translation>
    </message>
    <message>
        <source>Add pictures</source>
        <translation>Añadir imágenes</translation>
    </message>
    <message>
        <source>Adds picture files chosen in a file dialog.</source>
        <translation>Añade archivos de imagen elegidos en un diálogo.</translation>
    </message>
    <message>
        <source>Add a folder</source>
        <translation>Añadir una carpeta</translation>
    </message>
    <message>
        <source>Adds the pictures of a folder, with or without its subfolders.</source>
        <translation>Añade las imágenes de una carpeta, con o sin subcarpetas.</translation>
    </message>
    <message>
        <source>Remove the selected picture (Delete)</source>
        <translation>Quitar la imagen seleccionada (Supr)</translation>
    </message>
    <message>
        <source>Removes the selected picture from the list; Shift+Delete in the list also deletes its file.</source>
        <translation>Quita la imagen seleccionada de la lista; Mayús+Supr en la lista también borra su archivo.</translation>
    </message>
    <message>
        <source>Clear the list</source>
        <translation>Vaciar la lista</translation>
    </message>
    <message>
        <source>Removes every picture from the list.</source>
        <translation>Quita todas las imágenes de la lista.</translation>
    </message>
    <message>
        <source>Pictures</source>
        <translation>Imágenes</translation>
    </message>
    <message>
        <source>Please wait...</source>
        <translation>Espere...</translation>
    </message>
    <message>
        <source>Pictures (%1)</source>
        <translation>Imágenes (%1)</translation>
    </message>
    <message>
        <source>Remove 1 picture from the collection?

The picture file stays on disk; the thumbnail cache is emptied.</source>
        <translation>¿Quitar 1 imagen de la colección?

El archivo se queda en el disco; la caché de miniaturas se vacía.</translation>
    </message>
    <message>
        <source>Remove all %L1 pictures from the collection?

The picture files stay on disk; the thumbnail cache is emptied.</source>
        <translation>¿Quitar las %L1 imágenes de la colección?

Los archivos se quedan en el disco; la caché de miniaturas se vacía.</translation>
    </message>
</context>
<context>
    <name>SettingsWindow</name>
    <message>
        <source>Settings</source>
        <translation>Ajustes</translation>
    </message>
    <message>
        <source>Start at logon</source>
        <translation>Iniciar con la sesión</translation>
    </message>
    <message>
        <source>Change the wallpaper at start-up</source>
        <translation>Cambiar el fondo al iniciar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Aplicar</translation>
    </message>
    <message>
        <source>Hotkeys</source>
        <translation>Atajos</translation>
    </message>
    <message>
        <source>Clear the random wallpaper hotkey</source>
        <translation>Vaciar el atajo de fondo aleatorio</translation>
    </message>
    <message>
        <source>Clear the next wallpaper hotkey</source>
        <translation>Vaciar el atajo de fondo siguiente</translation>
    </message>
    <message>
        <source>Clear the previous wallpaper hotkey</source>
        <translation>Vaciar el atajo de fondo anterior</translation>
    </message>
    <message>
        <source>Start at logon (Space)</source>
        <translation>Iniciar con la sesión (Espacio)</translation>
    </message>
    <message>
        <source>Starts the program when you log on.</source>
        <translation>Inicia el programa al iniciar sesión.</translation>
    </message>
    <message>
        <source>Change the wallpaper at start-up (Space)</source>
        <translation>Cambiar el fondo al iniciar (Espacio)</translation>
    </message>
    <message>
        <source>Sets a random picture as the wallpaper when the program starts.</source>
        <translation>Pone una imagen aleatoria como fondo al iniciar el programa.</translation>
    </message>
    <message>
        <source>Hotkeys on or off (Space)</source>
        <translation>Atajos sí/no (Espacio)</translation>
    </message>
    <message>
        <source>Lets the three hotkeys below change the wallpaper from any program.</source>
        <translation>Los tres atajos de abajo cambian el fondo desde cualquier programa.</translation>
    </message>
    <message>
        <source>Applies the settings and closes.</source>
        <translation>Aplica los ajustes y cierra.</translation>
    </message>
    <message>
        <source>Closes without applying.</source>
        <translation>Cierra sin aplicar.</translation>
    </message>
    <message>
        <source>Empties the hotkey field beside this button.</source>
        <translation>Vacía el campo de atajo junto a este botón.</translation>
    </message>
    <message>
        <source>Random wallpaper hotkey</source>
        <translation>Atajo de fondo aleatorio</translation>
    </message>
    <message>
        <source>Next wallpaper hotkey</source>
        <translation>Atajo de fondo siguiente</translation>
    </message>
    <message>
        <source>Previous wallpaper hotkey</source>
        <translation>Atajo de fondo anterior</translation>
    </message>
    <message>
        <source>Placement</source>
        <translation>Posición</translation>
    </message>
    <message>
        <source>Fill</source>
        <translation>Rellenar</translation>
    </message>
    <message>
        <source>Fit</source>
        <translation>Ajustar</translation>
    </message>
    <message>
        <source>Stretch</source>
        <translation>Estirar</translation>
    </message>
    <message>
        <source>Center</source>
        <translation>Centrar</translation>
    </message>
    <message>
        <source>Tile</source>
        <translation>Mosaico</translation>
    </message>
    <message>
        <source>Span</source>
        <translation>Extender</translation>
    </message>
    <message>
        <source>Background colour</source>
        <translation>Color de fondo</translation>
    </message>
    <message>
        <source>Colour around a picture that does not fill the screen</source>
        <translation>Color alrededor de una imagen que no llena la pantalla</translation>
    </message>
    <message>
        <source>The logo key cannot be part of a hotkey</source>
        <translation>La tecla del logotipo no puede formar parte de un atajo</translation>
    </message>
    <message>
        <source>This key cannot be a hotkey</source>
        <translation>Esta tecla no puede ser un atajo</translation>
    </message>
    <message>
        <source>%1 belongs to the system</source>
        <translation>%1 pertenece al sistema</translation>
    </message>
    <message>
        <source>Add Ctrl or Alt: other programs need this key</source>
        <translation>Añada Ctrl o Alt: otros programas usan esta tecla</translation>
    </message>
    <message>
        <source>Another program uses this combination</source>
        <translation>Otro programa usa esta combinación</translation>
    </message>
    <message>
        <source>No key of this keyboard makes this combination</source>
        <translation>Ninguna tecla de este teclado da esta combinación</translation>
    </message>
    <message>
        <source>Monitors</source>
        <translation>Monitores</translation>
    </message>
    <message>
        <source>The same picture on every monitor, or a different picture on each monitor, the monitors taking new pictures in turn</source>
        <translation>La misma imagen en todos los monitores, o una imagen distinta en cada monitor, que reciben las imágenes nuevas por turnos</translation>
    </message>
    <message>
        <source>All the same</source>
        <translation>Todos igual</translation>
    </message>
    <message>
        <source>Each its own</source>
        <translation>Cada uno la suya</translation>
    </message>
</context>
<context>
    <name>Skin</name>
    <message>
        <source>ON</source>
        <extracomment>On the switches, in capitals: the on and off states.</extracomment>
        <translation>SÍ</translation>
    </message>
    <message>
        <source>OFF</source>
        <extracomment>On the switches, in capitals: the on and off states.</extracomment>
        <translation>NO</translation>
    </message>
    <message>
        <source>Manager</source>
        <translation>Gestor</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Ajustes</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Acerca de</translation>
    </message>
    <message>
        <source>Number</source>
        <translation>Número</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Archivo</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Carpeta</translation>
    </message>
    <message>
        <source>BROWSE</source>
        <translation>EXPLORAR</translation>
    </message>
    <message>
        <source>WALLPAPER</source>
        <translation>FONDO</translation>
    </message>
    <message>
        <source>AUTOMATIC CHANGE</source>
        <translation>CAMBIO AUTOMÁTICO</translation>
    </message>
    <message>
        <source>First</source>
        <translation>Primera</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Atrás</translation>
    </message>
    <message>
        <source>Random</source>
        <translation>Azar</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Siguiente</translation>
    </message>
    <message>
        <source>Last</source>
        <translation>Última</translation>
    </message>
    <message>
        <source>Param.</source>
        <extracomment>Short for the settings (parameters).</extracomment>
        <translation>Ajustes</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Aplicar</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Ayuda</translation>
    </message>
    <message>
        <source>h</source>
        <extracomment>Short for hours, over the hours of the change interval.</extracomment>
        <translation>h</translation>
    </message>
    <message>
        <source>min</source>
        <extracomment>Short for minutes, over the minutes of the change interval.</extracomment>
        <translation>min</translation>
    </message>
    <message>
        <source>On/Off</source>
        <extracomment>Over the switch that turns the automatic change on and off.</extracomment>
        <translation>Sí/No</translation>
    </message>
    <message>
        <source>Add images</source>
        <translation>Añadir imágenes</translation>
    </message>
    <message>
        <source>Add folders</source>
        <translation>Añadir carpetas</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Quitar</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Vaciar</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>Start when I log on</source>
        <translation>Iniciar con la sesión</translation>
    </message>
    <message>
        <source>Change the image at application start-up</source>
        <translation>Cambiar la imagen al iniciar el programa</translation>
    </message>
    <message>
        <source>Change the wallpaper by global hotkeys</source>
        <translation>Cambiar el fondo con atajos globales</translation>
    </message>
    <message>
        <source>Random wallpaper</source>
        <translation>Fondo aleatorio</translation>
    </message>
    <message>
        <source>Next wallpaper</source>
        <translation>Fondo siguiente</translation>
    </message>
    <message>
        <source>Previous wallpaper</source>
        <translation>Fondo anterior</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Versión %1</translation>
    </message>
    <message>
        <source>Check for an update</source>
        <translation>Buscar actualizaciones</translation>
    </message>
    <message>
        <source>Apply</source>
        <comment>the picture as the wallpaper</comment>
        <translation>Aplicar</translation>
    </message>
    <message>
        <source>Random</source>
        <comment>the order of the automatic change</comment>
        <translation>Al azar</translation>
    </message>
</context>
<context>
    <name>TrayIcon</name>
    <message>
        <source>Next Wallpaper</source>
        <translation>Fondo siguiente</translation>
    </message>
    <message>
        <source>Prev Wallpaper</source>
        <translation>Fondo anterior</translation>
    </message>
    <message>
        <source>Random Wallpaper</source>
        <translation>Fondo aleatorio</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Acerca de</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Salir</translation>
    </message>
</context>
</TS>
