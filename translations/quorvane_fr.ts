<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr" sourcelanguage="en">
<context>
    <name>AboutWindow</name>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Check for an update</source>
        <translation>Rechercher une mise à jour</translation>
    </message>
    <message>
        <source>Closes the About window.</source>
        <translation>Ferme la fenêtre À propos.</translation>
    </message>
    <message>
        <source>Opens the program&apos;s web page in the web browser.</source>
        <translation>Ouvre la page web du programme dans le navigateur.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>only one command at a time</source>
        <translation>une seule commande à la fois</translation>
    </message>
    <message>
        <source>--add needs at least one file or folder</source>
        <translation>--add demande au moins un fichier ou un dossier</translation>
    </message>
    <message>
        <source>unknown argument &apos;%1&apos;</source>
        <translation>argument inconnu « %1 »</translation>
    </message>
    <message>
        <source>Usage: %1</source>
        <translation>Utilisation : %1</translation>
    </message>
    <message>
        <source>show the next wallpaper</source>
        <translation>afficher le fond d’écran suivant</translation>
    </message>
    <message>
        <source>show the previous wallpaper</source>
        <translation>afficher le fond d’écran précédent</translation>
    </message>
    <message>
        <source>show a random wallpaper</source>
        <translation>afficher un fond d’écran au hasard</translation>
    </message>
    <message>
        <source>show the main window</source>
        <translation>afficher la fenêtre principale</translation>
    </message>
    <message>
        <source>add pictures and folders (with their subfolders) to
the collection</source>
        <extracomment>Lines of at most 58 characters: each stands indented under the first.</extracomment>
        <translation>ajouter des images et des dossiers (avec leurs
sous-dossiers) à la collection</translation>
    </message>
    <message>
        <source>print this help</source>
        <translation>afficher cette aide</translation>
    </message>
    <message>
        <source>print the version</source>
        <translation>afficher la version</translation>
    </message>
    <message>
        <source>A wallpaper changer that lives in the notification area.</source>
        <extracomment>The first line of the help, under the usage.</extracomment>
        <translation>Un changeur de fond d’écran qui vit dans la zone de notification.</translation>
    </message>
    <message>
        <source>A command goes to the program already running on this desktop; when
none is running, the program starts and then carries it out. Bind
these commands to keys where the desktop offers no global hotkeys.</source>
        <extracomment>Lines of at most 72 characters.</extracomment>
        <translation>Une commande va au programme déjà lancé sur ce bureau ; s’il n’y en a
aucun, le programme démarre puis l’exécute. Associez ces commandes à des
touches là où le bureau n’offre pas de raccourcis globaux.</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Do you realy want to exit?</source>
        <translation>Voulez-vous vraiment quitter ?</translation>
    </message>
    <message>
        <source>Are you sure you want to delete %1?<byte value="xd"/>
<byte value="xd"/>
Warning: this action will delete this file from disk, and cannot be undone!</source>
        <translation>Voulez-vous vraiment supprimer %1 ?<byte value="xd"/>
<byte value="xd"/>
Attention : le fichier sera supprimé du disque, sans retour possible !</translation>
    </message>
    <message>
        <source>The program is already running</source>
        <translation>Le programme est déjà lancé</translation>
    </message>
    <message>
        <source>The program does not start: it cannot make sure that no other copy of it runs.</source>
        <translation>Le programme ne démarre pas : il ne peut pas s’assurer qu’aucune autre copie ne tourne.</translation>
    </message>
</context>
<context>
    <name>FolderDialog</name>
    <message>
        <source>Browse For Folder</source>
        <translation>Choisir un dossier</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Include subfolders</source>
        <translation>Avec les sous-dossiers</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Dossier</translation>
    </message>
</context>
<context>
    <name>GlobalKey</name>
    <message>
        <source>BackSpace</source>
        <translation>Retour arrière</translation>
    </message>
    <message>
        <source>Tab</source>
        <translation>Tab</translation>
    </message>
    <message>
        <source>Enter</source>
        <translation>Entrée</translation>
    </message>
    <message>
        <source>Shift</source>
        <translation>Maj</translation>
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
        <translation>Pause</translation>
    </message>
    <message>
        <source>CapsLock</source>
        <translation>Verr. Maj</translation>
    </message>
    <message>
        <source>Esc</source>
        <translation>Échap</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>Espace</translation>
    </message>
    <message>
        <source>PgUp</source>
        <translation>Page préc.</translation>
    </message>
    <message>
        <source>PgDown</source>
        <translation>Page suiv.</translation>
    </message>
    <message>
        <source>End</source>
        <translation>Fin</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Origine</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>Gauche</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>Haut</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>Droite</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>Bas</translation>
    </message>
    <message>
        <source>PrintScreen</source>
        <translation>Impr. écran</translation>
    </message>
    <message>
        <source>Insert</source>
        <translation>Inser</translation>
    </message>
    <message>
        <source>Del</source>
        <translation>Suppr</translation>
    </message>
    <message>
        <source>NumLock</source>
        <translation>Verr. Num</translation>
    </message>
    <message>
        <source>ScrollLock</source>
        <translation>Arrêt défil</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Settings</source>
        <translation>Paramètres</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>Masquer</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Suivante</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Précédente</translation>
    </message>
    <message>
        <source>Random</source>
        <translation>Au hasard</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Appliquer</translation>
    </message>
    <message>
        <source>Last</source>
        <translation>Dernière</translation>
    </message>
    <message>
        <source>First</source>
        <translation>Première</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Aide</translation>
    </message>
    <message>
        <source>Random order</source>
        <translation>Ordre aléatoire</translation>
    </message>
    <message>
        <source>Automatic change</source>
        <translation>Changement automatique</translation>
    </message>
    <message>
        <source>Fewer hours</source>
        <translation>Moins d’heures</translation>
    </message>
    <message>
        <source>Fewer minutes</source>
        <translation>Moins de minutes</translation>
    </message>
    <message>
        <source>More hours</source>
        <translation>Plus d’heures</translation>
    </message>
    <message>
        <source>More minutes</source>
        <translation>Plus de minutes</translation>
    </message>
    <message>
        <source>Manager</source>
        <translation>Gestionnaire</translation>
    </message>
    <message>
        <source>First picture (Home)</source>
        <translation>Première image (Origine)</translation>
    </message>
    <message>
        <source>Shows the first picture. With the right mouse button it also becomes the wallpaper.</source>
        <translation>Affiche la première image. Avec le bouton droit, elle devient aussi le fond d’écran.</translation>
    </message>
    <message>
        <source>Previous picture (Left)</source>
        <translation>Image précédente (Gauche)</translation>
    </message>
    <message>
        <source>Shows the previous picture. With the right mouse button, Up or Page Up it also becomes the wallpaper.</source>
        <translation>Affiche l’image précédente. Avec le bouton droit, Haut ou Page préc., elle devient aussi le fond d’écran.</translation>
    </message>
    <message>
        <source>Random picture (Space also sets it)</source>
        <translation>Image au hasard (Espace l’applique aussi)</translation>
    </message>
    <message>
        <source>Shows a picture chosen at random. With the right mouse button or Space it also becomes the wallpaper.</source>
        <translation>Affiche une image choisie au hasard. Avec le bouton droit ou Espace, elle devient aussi le fond d’écran.</translation>
    </message>
    <message>
        <source>Next picture (Right)</source>
        <translation>Image suivante (Droite)</translation>
    </message>
    <message>
        <source>Shows the next picture. With the right mouse button, Down or Page Down it also becomes the wallpaper.</source>
        <translation>Affiche l’image suivante. Avec le bouton droit, Bas ou Page suiv., elle devient aussi le fond d’écran.</translation>
    </message>
    <message>
        <source>Last picture (End)</source>
        <translation>Dernière image (Fin)</translation>
    </message>
    <message>
        <source>Shows the last picture. With the right mouse button it also becomes the wallpaper.</source>
        <translation>Affiche la dernière image. Avec le bouton droit, elle devient aussi le fond d’écran.</translation>
    </message>
    <message>
        <source>Set as wallpaper (Enter)</source>
        <translation>Définir comme fond (Entrée)</translation>
    </message>
    <message>
        <source>Makes the picture shown the desktop wallpaper.</source>
        <translation>Fait de l’image affichée le fond d’écran.</translation>
    </message>
    <message>
        <source>Opens the settings: start at logon, change at start-up, hotkeys.</source>
        <translation>Ouvre les paramètres : lancement à l’ouverture de session, changement au démarrage, raccourcis.</translation>
    </message>
    <message>
        <source>About Quorvane (F1)</source>
        <translation>À propos de Quorvane (F1)</translation>
    </message>
    <message>
        <source>Shows the version and the web page.</source>
        <translation>Affiche la version et la page web.</translation>
    </message>
    <message>
        <source>Picture manager</source>
        <translation>Gestionnaire d’images</translation>
    </message>
    <message>
        <source>Opens the picture manager, where pictures and folders are added and removed.</source>
        <translation>Ouvre le gestionnaire d’images, où l’on ajoute et retire images et dossiers.</translation>
    </message>
    <message>
        <source>Hide to the notification area (Esc)</source>
        <translation>Masquer dans la zone de notification (Échap)</translation>
    </message>
    <message>
        <source>Hides the window; the notification-area icon brings it back.</source>
        <translation>Masque la fenêtre ; l’icône de la zone de notification la rappelle.</translation>
    </message>
    <message>
        <source>Asks, then ends the program.</source>
        <translation>Demande confirmation, puis quitte le programme.</translation>
    </message>
    <message>
        <source>One hour less (Down)</source>
        <translation>Une heure de moins (Bas)</translation>
    </message>
    <message>
        <source>Shortens the interval of the automatic change by an hour. Up and Down step the hours while this button has the focus.</source>
        <translation>Raccourcit d’une heure l’intervalle du changement automatique. Haut et Bas changent les heures tant que ce bouton a le focus.</translation>
    </message>
    <message>
        <source>One hour more (Up)</source>
        <translation>Une heure de plus (Haut)</translation>
    </message>
    <message>
        <source>Lengthens the interval of the automatic change by an hour. Up and Down step the hours while this button has the focus.</source>
        <translation>Allonge d’une heure l’intervalle du changement automatique. Haut et Bas changent les heures tant que ce bouton a le focus.</translation>
    </message>
    <message>
        <source>One minute less (Down)</source>
        <translation>Une minute de moins (Bas)</translation>
    </message>
    <message>
        <source>Shortens the interval of the automatic change by a minute. Up and Down step the minutes while this button has the focus.</source>
        <translation>Raccourcit d’une minute l’intervalle du changement automatique. Haut et Bas changent les minutes tant que ce bouton a le focus.</translation>
    </message>
    <message>
        <source>One minute more (Up)</source>
        <translation>Une minute de plus (Haut)</translation>
    </message>
    <message>
        <source>Lengthens the interval of the automatic change by a minute. Up and Down step the minutes while this button has the focus.</source>
        <translation>Allonge d’une minute l’intervalle du changement automatique. Haut et Bas changent les minutes tant que ce bouton a le focus.</translation>
    </message>
    <message>
        <source>Automatic change on or off (Space)</source>
        <translation>Changement automatique oui/non (Espace)</translation>
    </message>
    <message>
        <source>Changes the wallpaper by itself at the interval set with the hours and minutes.</source>
        <translation>Change le fond d’écran tout seul à l’intervalle réglé en heures et minutes.</translation>
    </message>
    <message>
        <source>Random order on or off (Space)</source>
        <translation>Ordre aléatoire oui/non (Espace)</translation>
    </message>
    <message>
        <source>The automatic change picks pictures at random instead of in list order.</source>
        <translation>Le changement automatique prend les images au hasard plutôt que dans l’ordre de la liste.</translation>
    </message>
    <message>
        <source>Hours of the change interval</source>
        <translation>Heures de l’intervalle</translation>
    </message>
    <message>
        <source>Minutes of the change interval</source>
        <translation>Minutes de l’intervalle</translation>
    </message>
    <message>
        <source>Position in the collection</source>
        <translation>Position dans la collection</translation>
    </message>
    <message>
        <source>File name</source>
        <translation>Nom du fichier</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Dossier</translation>
    </message>
    <message>
        <source>Preview strip</source>
        <translation>Bande d’aperçu</translation>
    </message>
    <message>
        <source>Quorvane</source>
        <translation>Quorvane</translation>
    </message>
    <message>
        <source>Left and Right show the previous and next picture, Home and End the first and last; Up, Down, Page Up and Page Down also set it as the wallpaper; Space sets a random one, Enter the one shown; Delete removes it from the collection, Shift+Delete also deletes the file; F1 shows About; Esc hides the window; Tab moves through the buttons.</source>
        <translation>Gauche et Droite affichent l’image précédente et suivante, Origine et Fin la première et la dernière ; Haut, Bas, Page préc. et Page suiv. en font aussi le fond d’écran ; Espace en applique une au hasard, Entrée celle affichée ; Suppr la retire de la collection, Maj+Suppr supprime aussi le fichier ; F1 affiche À propos ; Échap masque la fenêtre ; Tab parcourt les boutons.</translation>
    </message>
    <message>
        <source>on monitor %1 of %2</source>
        <translation>sur l’écran %1 sur %2</translation>
    </message>
    <message>
        <source>Please, add wallpapers in the manager &gt;&gt;&gt;</source>
        <translation>Veuillez ajouter des fonds d’écran dans le gestionnaire &gt;&gt;&gt;</translation>
    </message>
</context>
<context>
    <name>NoticeBoard</name>
    <message>
        <source>Pictures removed</source>
        <translation>Images retirées</translation>
    </message>
    <message>
        <source>Not added</source>
        <translation>Non ajouté</translation>
    </message>
    <message>
        <source>Wallpaper not set</source>
        <translation>Fond d’écran non appliqué</translation>
    </message>
</context>
<context>
    <name>Notices</name>
    <message>
        <source>1 item was not added because it is neither a picture (JPEG, PNG, BMP) nor a folder: %1.</source>
        <translation>1 élément n’a pas été ajouté car ce n’est ni une image (JPEG, PNG, BMP) ni un dossier : %1.</translation>
    </message>
    <message>
        <source>%L1 items were not added because they are neither pictures (JPEG, PNG, BMP) nor folders: %2.</source>
        <translation>%L1 éléments n’ont pas été ajoutés car ce ne sont ni des images (JPEG, PNG, BMP) ni des dossiers : %2.</translation>
    </message>
    <message>
        <source>1 picture left the collection because it cannot be read: %1.</source>
        <translation>1 image a quitté la collection car elle est illisible : %1.</translation>
    </message>
    <message>
        <source>%L1 pictures left the collection because they cannot be read: %2.</source>
        <translation>%L1 images ont quitté la collection car elles sont illisibles : %2.</translation>
    </message>
    <message>
        <source>The wallpaper could not be set from this picture: %1.</source>
        <translation>Impossible d’appliquer cette image comme fond d’écran : %1.</translation>
    </message>
    <message>
        <source>The wallpaper could not be set from %L1 pictures: %2.</source>
        <translation>Impossible d’appliquer %L1 images comme fond d’écran : %2.</translation>
    </message>
    <message>
        <source> and %L1 more</source>
        <translation> et %L1 de plus</translation>
    </message>
    <message>
        <source>One picture was not added because its file name contains a line break.</source>
        <translation>Une image n’a pas été ajoutée car son nom de fichier contient un saut de ligne.</translation>
    </message>
    <message>
        <source>%L1 pictures were not added because their file names contain line breaks.</source>
        <translation>%L1 images n’ont pas été ajoutées car leurs noms de fichier contiennent des sauts de ligne.</translation>
    </message>
</context>
<context>
    <name>PictureManager</name>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Add images</source>
        <translation>Ajouter des images</translation>
    </message>
    <message>
        <source>Add Folders</source>
        <translation>Ajouter des dossiers</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Retirer</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Vider</translation>
    </message>
    <message>
        <source>Close the manager</source>
        <translation>Fermer le gestionnaire</translation>
    </message>
    <message>
        <source>Closes the manager and keeps its list.</source>
        <translation>Ferme le gestionnaire et garde sa liste.</translation>
    </message>
    <message>
        <source>Add pictures</source>
        <translation>Ajouter des images</translation>
    </message>
    <message>
        <source>Adds picture files chosen in a file dialog.</source>
        <translation>Ajoute des fichiers image choisis dans une boîte de dialogue.</translation>
    </message>
    <message>
        <source>Add a folder</source>
        <translation>Ajouter un dossier</translation>
    </message>
    <message>
        <source>Adds the pictures of a folder, with or without its subfolders.</source>
        <translation>Ajoute les images d’un dossier, avec ou sans ses sous-dossiers.</translation>
    </message>
    <message>
        <source>Remove the selected picture (Delete)</source>
        <translation>Retirer l’image sélectionnée (Suppr)</translation>
    </message>
    <message>
        <source>Removes the selected picture from the list; Shift+Delete in the list also deletes its file.</source>
        <translation>Retire l’image sélectionnée de la liste ; Maj+Suppr dans la liste supprime aussi son fichier.</translation>
    </message>
    <message>
        <source>Clear the list</source>
        <translation>Vider la liste</translation>
    </message>
    <message>
        <source>Removes every picture from the list.</source>
        <translation>Retire toutes les images de la liste.</translation>
    </message>
    <message>
        <source>Pictures</source>
        <translation>Images</translation>
    </message>
    <message>
        <source>Please wait...</source>
        <translation>Patientez...</translation>
    </message>
    <message>
        <source>Pictures (%1)</source>
        <translation>Images (%1)</translation>
    </message>
    <message>
        <source>Remove 1 picture from the collection?

The picture file stays on disk; the thumbnail cache is emptied.</source>
        <translation>Retirer 1 image de la collection ?

Le fichier reste sur le disque ; le cache des miniatures est vidé.</translation>
    </message>
    <message>
        <source>Remove all %L1 pictures from the collection?

The picture files stay on disk; the thumbnail cache is emptied.</source>
        <translation>Retirer les %L1 images de la collection ?

Les fichiers restent sur le disque ; le cache des miniatures est vidé.</translation>
    </message>
</context>
<context>
    <name>SettingsWindow</name>
    <message>
        <source>Settings</source>
        <translation>Paramètres</translation>
    </message>
    <message>
        <source>Start at logon</source>
        <translation>Lancer à la connexion</translation>
    </message>
    <message>
        <source>Change the wallpaper at start-up</source>
        <translation>Changer le fond au démarrage</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Appliquer</translation>
    </message>
    <message>
        <source>Hotkeys</source>
        <translation>Raccourcis</translation>
    </message>
    <message>
        <source>Clear the random wallpaper hotkey</source>
        <translation>Effacer le raccourci du fond au hasard</translation>
    </message>
    <message>
        <source>Clear the next wallpaper hotkey</source>
        <translation>Effacer le raccourci du fond suivant</translation>
    </message>
    <message>
        <source>Clear the previous wallpaper hotkey</source>
        <translation>Effacer le raccourci du fond précédent</translation>
    </message>
    <message>
        <source>Start at logon (Space)</source>
        <translation>Lancer à la connexion (Espace)</translation>
    </message>
    <message>
        <source>Starts the program when you log on.</source>
        <translation>Lance le programme à l’ouverture de session.</translation>
    </message>
    <message>
        <source>Change the wallpaper at start-up (Space)</source>
        <translation>Changer le fond au démarrage (Espace)</translation>
    </message>
    <message>
        <source>Sets a random picture as the wallpaper when the program starts.</source>
        <translation>Applique une image au hasard comme fond au lancement du programme.</translation>
    </message>
    <message>
        <source>Hotkeys on or off (Space)</source>
        <translation>Raccourcis oui/non (Espace)</translation>
    </message>
    <message>
        <source>Lets the three hotkeys below change the wallpaper from any program.</source>
        <translation>Les trois raccourcis ci-dessous changent le fond depuis tout programme.</translation>
    </message>
    <message>
        <source>Applies the settings and closes.</source>
        <translation>Applique les paramètres et ferme.</translation>
    </message>
    <message>
        <source>Closes without applying.</source>
        <translation>Ferme sans appliquer.</translation>
    </message>
    <message>
        <source>Empties the hotkey field beside this button.</source>
        <translation>Vide le champ de raccourci à côté de ce bouton.</translation>
    </message>
    <message>
        <source>Random wallpaper hotkey</source>
        <translation>Raccourci du fond au hasard</translation>
    </message>
    <message>
        <source>Next wallpaper hotkey</source>
        <translation>Raccourci du fond suivant</translation>
    </message>
    <message>
        <source>Previous wallpaper hotkey</source>
        <translation>Raccourci du fond précédent</translation>
    </message>
    <message>
        <source>Placement</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>Fill</source>
        <translation>Remplir</translation>
    </message>
    <message>
        <source>Fit</source>
        <translation>Ajuster</translation>
    </message>
    <message>
        <source>Stretch</source>
        <translation>Étirer</translation>
    </message>
    <message>
        <source>Center</source>
        <translation>Centrer</translation>
    </message>
    <message>
        <source>Tile</source>
        <translation>Mosaïque</translation>
    </message>
    <message>
        <source>Span</source>
        <translation>Étendre</translation>
    </message>
    <message>
        <source>Background colour</source>
        <translation>Couleur de fond</translation>
    </message>
    <message>
        <source>Colour around a picture that does not fill the screen</source>
        <translation>Couleur autour d’une image qui ne remplit pas l’écran</translation>
    </message>
    <message>
        <source>The logo key cannot be part of a hotkey</source>
        <translation>La touche logo ne peut pas faire partie d’un raccourci</translation>
    </message>
    <message>
        <source>This key cannot be a hotkey</source>
        <translation>Cette touche ne peut pas être un raccourci</translation>
    </message>
    <message>
        <source>%1 belongs to the system</source>
        <translation>%1 appartient au système</translation>
    </message>
    <message>
        <source>Add Ctrl or Alt: other programs need this key</source>
        <translation>Ajoutez Ctrl ou Alt : d’autres programmes utilisent cette touche</translation>
    </message>
    <message>
        <source>Another program uses this combination</source>
        <translation>Un autre programme utilise cette combinaison</translation>
    </message>
    <message>
        <source>No key of this keyboard makes this combination</source>
        <translation>Aucune touche de ce clavier ne donne cette combinaison</translation>
    </message>
    <message>
        <source>Monitors</source>
        <translation>Écrans</translation>
    </message>
    <message>
        <source>The same picture on every monitor, or a different picture on each monitor, the monitors taking new pictures in turn</source>
        <translation>La même image sur chaque écran, ou une image différente sur chaque écran, les écrans recevant les nouvelles images à tour de rôle</translation>
    </message>
    <message>
        <source>All the same</source>
        <translation>Tous pareils</translation>
    </message>
    <message>
        <source>Each its own</source>
        <translation>Chacun la sienne</translation>
    </message>
</context>
<context>
    <name>Skin</name>
    <message>
        <source>ON</source>
        <extracomment>On the switches, in capitals: the on and off states.</extracomment>
        <translation>OUI</translation>
    </message>
    <message>
        <source>OFF</source>
        <extracomment>On the switches, in capitals: the on and off states.</extracomment>
        <translation>NON</translation>
    </message>
    <message>
        <source>Manager</source>
        <translation>Gestionnaire</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Paramètres</translation>
    </message>
    <message>
        <source>About</source>
        <translation>À propos</translation>
    </message>
    <message>
        <source>Number</source>
        <translation>Numéro</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Fichier</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Dossier</translation>
    </message>
    <message>
        <source>BROWSE</source>
        <translation>PARCOURIR</translation>
    </message>
    <message>
        <source>WALLPAPER</source>
        <translation>FOND D’ÉCRAN</translation>
    </message>
    <message>
        <source>AUTOMATIC CHANGE</source>
        <translation>CHANGEMENT AUTOMATIQUE</translation>
    </message>
    <message>
        <source>First</source>
        <translation>Début</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Retour</translation>
    </message>
    <message>
        <source>Random</source>
        <translation>Hasard</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Suivant</translation>
    </message>
    <message>
        <source>Last</source>
        <translation>Fin</translation>
    </message>
    <message>
        <source>Param.</source>
        <extracomment>Short for the settings (parameters).</extracomment>
        <translation>Param.</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Appliquer</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Aide</translation>
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
        <translation>Oui/Non</translation>
    </message>
    <message>
        <source>Add images</source>
        <translation>Ajouter images</translation>
    </message>
    <message>
        <source>Add folders</source>
        <translation>Ajouter dossiers</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Retirer</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Vider</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Start when I log on</source>
        <translation>Lancer à la connexion</translation>
    </message>
    <message>
        <source>Change the image at application start-up</source>
        <translation>Changer l’image au démarrage du programme</translation>
    </message>
    <message>
        <source>Change the wallpaper by global hotkeys</source>
        <translation>Changer le fond par des raccourcis globaux</translation>
    </message>
    <message>
        <source>Random wallpaper</source>
        <translation>Fond au hasard</translation>
    </message>
    <message>
        <source>Next wallpaper</source>
        <translation>Fond suivant</translation>
    </message>
    <message>
        <source>Previous wallpaper</source>
        <translation>Fond précédent</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Check for an update</source>
        <translation>Rechercher une mise à jour</translation>
    </message>
    <message>
        <source>Apply</source>
        <comment>the picture as the wallpaper</comment>
        <translation>Appliquer</translation>
    </message>
    <message>
        <source>Random</source>
        <comment>the order of the automatic change</comment>
        <translation>Au hasard</translation>
    </message>
</context>
<context>
    <name>TrayIcon</name>
    <message>
        <source>Next Wallpaper</source>
        <translation>Fond suivant</translation>
    </message>
    <message>
        <source>Prev Wallpaper</source>
        <translation>Fond précédent</translation>
    </message>
    <message>
        <source>Random Wallpaper</source>
        <translation>Fond au hasard</translation>
    </message>
    <message>
        <source>About</source>
        <translation>À propos</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Quitter</translation>
    </message>
</context>
</TS>
