<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru" sourcelanguage="en">
<context>
    <name>AboutWindow</name>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>Check for an update</source>
        <translation>Проверить обновления</translation>
    </message>
    <message>
        <source>Closes the About window.</source>
        <translation>Закрывает окно «О программе».</translation>
    </message>
    <message>
        <source>Opens the program&apos;s web page in the web browser.</source>
        <translation>Открывает сайт программы в браузере.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>only one command at a time</source>
        <translation>только одна команда за раз</translation>
    </message>
    <message>
        <source>--add needs at least one file or folder</source>
        <translation>--add требует хотя бы один файл или папку</translation>
    </message>
    <message>
        <source>unknown argument &apos;%1&apos;</source>
        <translation>неизвестный аргумент «%1»</translation>
    </message>
    <message>
        <source>Usage: %1</source>
        <translation>Использование: %1</translation>
    </message>
    <message>
        <source>show the next wallpaper</source>
        <translation>показать следующие обои</translation>
    </message>
    <message>
        <source>show the previous wallpaper</source>
        <translation>показать предыдущие обои</translation>
    </message>
    <message>
        <source>show a random wallpaper</source>
        <translation>показать случайные обои</translation>
    </message>
    <message>
        <source>show the main window</source>
        <translation>показать главное окно</translation>
    </message>
    <message>
        <source>add pictures and folders (with their subfolders) to
the collection</source>
        <extracomment>Lines of at most 58 characters: each stands indented under the first.</extracomment>
        <translation>добавить изображения и папки (с их подпапками)
в коллекцию</translation>
    </message>
    <message>
        <source>print this help</source>
        <translation>вывести эту справку</translation>
    </message>
    <message>
        <source>print the version</source>
        <translation>вывести версию</translation>
    </message>
    <message>
        <source>A wallpaper changer that lives in the notification area.</source>
        <extracomment>The first line of the help, under the usage.</extracomment>
        <translation>Смена обоев рабочего стола из области уведомлений.</translation>
    </message>
    <message>
        <source>A command goes to the program already running on this desktop; when
none is running, the program starts and then carries it out. Bind
these commands to keys where the desktop offers no global hotkeys.</source>
        <extracomment>Lines of at most 72 characters.</extracomment>
        <translation>Команда передаётся программе, уже запущенной на этом рабочем столе;
если её нет, программа запускается и выполняет команду. Назначьте эти
команды клавишам, если рабочий стол не даёт глобальных горячих клавиш.</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Do you realy want to exit?</source>
        <translation>Вы действительно хотите выйти?</translation>
    </message>
    <message>
        <source>Are you sure you want to delete %1?<byte value="xd"/>
<byte value="xd"/>
Warning: this action will delete this file from disk, and cannot be undone!</source>
        <translation>Удалить %1?<byte value="xd"/>
<byte value="xd"/>
Внимание: файл будет удалён с диска, это действие нельзя отменить!</translation>
    </message>
    <message>
        <source>The program is already running</source>
        <translation>Программа уже запущена</translation>
    </message>
    <message>
        <source>The program does not start: it cannot make sure that no other copy of it runs.</source>
        <translation>Программа не запускается: невозможно убедиться, что другая её копия не работает.</translation>
    </message>
</context>
<context>
    <name>FolderDialog</name>
    <message>
        <source>Browse For Folder</source>
        <translation>Выбор папки</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Include subfolders</source>
        <translation>Включая подпапки</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Папка</translation>
    </message>
</context>
<context>
    <name>GlobalKey</name>
    <message>
        <source>BackSpace</source>
        <translation>BackSpace</translation>
    </message>
    <message>
        <source>Tab</source>
        <translation>Tab</translation>
    </message>
    <message>
        <source>Enter</source>
        <translation>Enter</translation>
    </message>
    <message>
        <source>Shift</source>
        <translation>Shift</translation>
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
        <translation>CapsLock</translation>
    </message>
    <message>
        <source>Esc</source>
        <translation>Esc</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>Пробел</translation>
    </message>
    <message>
        <source>PgUp</source>
        <translation>PgUp</translation>
    </message>
    <message>
        <source>PgDown</source>
        <translation>PgDown</translation>
    </message>
    <message>
        <source>End</source>
        <translation>End</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Home</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>Влево</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>Вверх</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>Вправо</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>Вниз</translation>
    </message>
    <message>
        <source>PrintScreen</source>
        <translation>PrintScreen</translation>
    </message>
    <message>
        <source>Insert</source>
        <translation>Insert</translation>
    </message>
    <message>
        <source>Del</source>
        <translation>Del</translation>
    </message>
    <message>
        <source>NumLock</source>
        <translation>NumLock</translation>
    </message>
    <message>
        <source>ScrollLock</source>
        <translation>ScrollLock</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Settings</source>
        <translation>Параметры</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Выход</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>Скрыть</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Следующее</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Предыдущее</translation>
    </message>
    <message>
        <source>Random</source>
        <translation>Случайное</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Применить</translation>
    </message>
    <message>
        <source>Last</source>
        <translation>Последнее</translation>
    </message>
    <message>
        <source>First</source>
        <translation>Первое</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Справка</translation>
    </message>
    <message>
        <source>Random order</source>
        <translation>Случайный порядок</translation>
    </message>
    <message>
        <source>Automatic change</source>
        <translation>Автосмена</translation>
    </message>
    <message>
        <source>Fewer hours</source>
        <translation>Меньше часов</translation>
    </message>
    <message>
        <source>Fewer minutes</source>
        <translation>Меньше минут</translation>
    </message>
    <message>
        <source>More hours</source>
        <translation>Больше часов</translation>
    </message>
    <message>
        <source>More minutes</source>
        <translation>Больше минут</translation>
    </message>
    <message>
        <source>Manager</source>
        <translation>Менеджер</translation>
    </message>
    <message>
        <source>First picture (Home)</source>
        <translation>Первое изображение (Home)</translation>
    </message>
    <message>
        <source>Shows the first picture. With the right mouse button it also becomes the wallpaper.</source>
        <translation>Показывает первое изображение. Правой кнопкой мыши оно также становится обоями.</translation>
    </message>
    <message>
        <source>Previous picture (Left)</source>
        <translation>Предыдущее изображение (Влево)</translation>
    </message>
    <message>
        <source>Shows the previous picture. With the right mouse button, Up or Page Up it also becomes the wallpaper.</source>
        <translation>Показывает предыдущее изображение. Правой кнопкой мыши, Вверх или Page Up оно также становится обоями.</translation>
    </message>
    <message>
        <source>Random picture (Space also sets it)</source>
        <translation>Случайное изображение (Пробел — сразу обои)</translation>
    </message>
    <message>
        <source>Shows a picture chosen at random. With the right mouse button or Space it also becomes the wallpaper.</source>
        <translation>Показывает случайное изображение. Правой кнопкой мыши или Пробелом оно также становится обоями.</translation>
    </message>
    <message>
        <source>Next picture (Right)</source>
        <translation>Следующее изображение (Вправо)</translation>
    </message>
    <message>
        <source>Shows the next picture. With the right mouse button, Down or Page Down it also becomes the wallpaper.</source>
        <translation>Показывает следующее изображение. Правой кнопкой мыши, Вниз или Page Down оно также становится обоями.</translation>
    </message>
    <message>
        <source>Last picture (End)</source>
        <translation>Последнее изображение (End)</translation>
    </message>
    <message>
        <source>Shows the last picture. With the right mouse button it also becomes the wallpaper.</source>
        <translation>Показывает последнее изображение. Правой кнопкой мыши оно также становится обоями.</translation>
    </message>
    <message>
        <source>Set as wallpaper (Enter)</source>
        <translation>Сделать обоями (Enter)</translation>
    </message>
    <message>
        <source>Makes the picture shown the desktop wallpaper.</source>
        <translation>Делает показанное изображение обоями рабочего стола.</translation>
    </message>
    <message>
        <source>Opens the settings: start at logon, change at start-up, hotkeys.</source>
        <translation>Открывает параметры: запуск при входе, смена при запуске, горячие клавиши.</translation>
    </message>
    <message>
        <source>About Quorvane (F1)</source>
        <translation>О программе Quorvane (F1)</translation>
    </message>
    <message>
        <source>Shows the version and the web page.</source>
        <translation>Показывает версию и сайт.</translation>
    </message>
    <message>
        <source>Picture manager</source>
        <translation>Менеджер изображений</translation>
    </message>
    <message>
        <source>Opens the picture manager, where pictures and folders are added and removed.</source>
        <translation>Открывает менеджер изображений, где добавляются и удаляются изображения и папки.</translation>
    </message>
    <message>
        <source>Hide to the notification area (Esc)</source>
        <translation>Скрыть в область уведомлений (Esc)</translation>
    </message>
    <message>
        <source>Hides the window; the notification-area icon brings it back.</source>
        <translation>Скрывает окно; значок в области уведомлений возвращает его.</translation>
    </message>
    <message>
        <source>Asks, then ends the program.</source>
        <translation>Спрашивает и завершает программу.</translation>
    </message>
    <message>
        <source>One hour less (Down)</source>
        <translation>На час меньше (Вниз)</translation>
    </message>
    <message>
        <source>Shortens the interval of the automatic change by an hour. Up and Down step the hours while this button has the focus.</source>
        <translation>Уменьшает интервал автосмены на час. Вверх и Вниз меняют часы, пока кнопка в фокусе.</translation>
    </message>
    <message>
        <source>One hour more (Up)</source>
        <translation>На час больше (Вверх)</translation>
    </message>
    <message>
        <source>Lengthens the interval of the automatic change by an hour. Up and Down step the hours while this button has the focus.</source>
        <translation>Увеличивает интервал автосмены на час. Вверх и Вниз меняют часы, пока кнопка в фокусе.</translation>
    </message>
    <message>
        <source>One minute less (Down)</source>
        <translation>На минуту меньше (Вниз)</translation>
    </message>
    <message>
        <source>Shortens the interval of the automatic change by a minute. Up and Down step the minutes while this button has the focus.</source>
        <translation>Уменьшает интервал автосмены на минуту. Вверх и Вниз меняют минуты, пока кнопка в фокусе.</translation>
    </message>
    <message>
        <source>One minute more (Up)</source>
        <translation>На минуту больше (Вверх)</translation>
    </message>
    <message>
        <source>Lengthens the interval of the automatic change by a minute. Up and Down step the minutes while this button has the focus.</source>
        <translation>Увеличивает интервал автосмены на минуту. Вверх и Вниз меняют минуты, пока кнопка в фокусе.</translation>
    </message>
    <message>
        <source>Automatic change on or off (Space)</source>
        <translation>Автосмена вкл./выкл. (Пробел)</translation>
    </message>
    <message>
        <source>Changes the wallpaper by itself at the interval set with the hours and minutes.</source>
        <translation>Сама меняет обои с интервалом, заданным часами и минутами.</translation>
    </message>
    <message>
        <source>Random order on or off (Space)</source>
        <translation>Случайный порядок вкл./выкл. (Пробел)</translation>
    </message>
    <message>
        <source>The automatic change picks pictures at random instead of in list order.</source>
        <translation>Автосмена выбирает изображения случайно, а не по порядку списка.</translation>
    </message>
    <message>
        <source>Hours of the change interval</source>
        <translation>Часы интервала смены</translation>
    </message>
    <message>
        <source>Minutes of the change interval</source>
        <translation>Минуты интервала смены</translation>
    </message>
    <message>
        <source>Position in the collection</source>
        <translation>Позиция в коллекции</translation>
    </message>
    <message>
        <source>File name</source>
        <translation>Имя файла</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Папка</translation>
    </message>
    <message>
        <source>Preview strip</source>
        <translation>Лента предпросмотра</translation>
    </message>
    <message>
        <source>Quorvane</source>
        <translation>Quorvane</translation>
    </message>
    <message>
        <source>Left and Right show the previous and next picture, Home and End the first and last; Up, Down, Page Up and Page Down also set it as the wallpaper; Space sets a random one, Enter the one shown; Delete removes it from the collection, Shift+Delete also deletes the file; F1 shows About; Esc hides the window; Tab moves through the buttons.</source>
        <translation>Влево и Вправо показывают предыдущее и следующее изображение, Home и End — первое и последнее; Вверх, Вниз, Page Up и Page Down также делают его обоями; Пробел ставит случайное, Enter — показанное; Delete убирает его из коллекции, Shift+Delete также удаляет файл; F1 открывает «О программе»; Esc скрывает окно; Tab переходит по кнопкам.</translation>
    </message>
    <message>
        <source>on monitor %1 of %2</source>
        <translation>на мониторе %1 из %2</translation>
    </message>
    <message>
        <source>Please, add wallpapers in the manager &gt;&gt;&gt;</source>
        <translation>Добавьте обои в менеджере &gt;&gt;&gt;</translation>
    </message>
</context>
<context>
    <name>NoticeBoard</name>
    <message>
        <source>Pictures removed</source>
        <translation>Изображения удалены</translation>
    </message>
    <message>
        <source>Not added</source>
        <translation>Не добавлено</translation>
    </message>
    <message>
        <source>Wallpaper not set</source>
        <translation>Обои не установлены</translation>
    </message>
</context>
<context>
    <name>Notices</name>
    <message>
        <source>1 item was not added because it is neither a picture (JPEG, PNG, BMP) nor a folder: %1.</source>
        <translation>1 объект не добавлен: это не изображение (JPEG, PNG, BMP) и не папка: %1.</translation>
    </message>
    <message>
        <source>%L1 items were not added because they are neither pictures (JPEG, PNG, BMP) nor folders: %2.</source>
        <translation>Объектов не добавлено: %L1 — это не изображения (JPEG, PNG, BMP) и не папки: %2.</translation>
    </message>
    <message>
        <source>1 picture left the collection because it cannot be read: %1.</source>
        <translation>1 изображение удалено из коллекции, так как его не удаётся прочитать: %1.</translation>
    </message>
    <message>
        <source>%L1 pictures left the collection because they cannot be read: %2.</source>
        <translation>Изображений удалено из коллекции, так как их не удаётся прочитать: %L1: %2.</translation>
    </message>
    <message>
        <source>The wallpaper could not be set from this picture: %1.</source>
        <translation>Не удалось сделать обоями это изображение: %1.</translation>
    </message>
    <message>
        <source>The wallpaper could not be set from %L1 pictures: %2.</source>
        <translation>Не удалось сделать обоями изображения (%L1): %2.</translation>
    </message>
    <message>
        <source> and %L1 more</source>
        <translation> и ещё %L1</translation>
    </message>
    <message>
        <source>One picture was not added because its file name contains a line break.</source>
        <translation>Одно изображение не добавлено: в имени его файла есть перевод строки.</translation>
    </message>
    <message>
        <source>%L1 pictures were not added because their file names contain line breaks.</source>
        <translation>Изображений не добавлено: %L1 — в именах их файлов есть переводы строк.</translation>
    </message>
</context>
<context>
    <name>PictureManager</name>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>Add images</source>
        <translation>Добавить изображения</translation>
    </message>
    <message>
        <source>Add Folders</source>
        <translation>Добавить папки</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Удалить</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Очистить</translation>
    </message>
    <message>
        <source>Close the manager</source>
        <translation>Закрыть менеджер</translation>
    </message>
    <message>
        <source>Closes the manager and keeps its list.</source>
        <translation>Закрывает менеджер и сохраняет список.</translation>
    </message>
    <message>
        <source>Add pictures</source>
        <translation>Добавить изображения</translation>
    </message>
    <message>
        <source>Adds picture files chosen in a file dialog.</source>
        <translation>Добавляет файлы изображений, выбранные в диалоге.</translation>
    </message>
    <message>
        <source>Add a folder</source>
        <translation>Добавить папку</translation>
    </message>
    <message>
        <source>Adds the pictures of a folder, with or without its subfolders.</source>
        <translation>Добавляет изображения из папки, с подпапками или без них.</translation>
    </message>
    <message>
        <source>Remove the selected picture (Delete)</source>
        <translation>Убрать выбранное изображение (Delete)</translation>
    </message>
    <message>
        <source>Removes the selected picture from the list; Shift+Delete in the list also deletes its file.</source>
        <translation>Убирает выбранное изображение из списка; Shift+Delete в списке также удаляет файл.</translation>
    </message>
    <message>
        <source>Clear the list</source>
        <translation>Очистить список</translation>
    </message>
    <message>
        <source>Removes every picture from the list.</source>
        <translation>Убирает все изображения из списка.</translation>
    </message>
    <message>
        <source>Pictures</source>
        <translation>Изображения</translation>
    </message>
    <message>
        <source>Please wait...</source>
        <translation>Подождите...</translation>
    </message>
    <message>
        <source>Pictures (%1)</source>
        <translation>Изображения (%1)</translation>
    </message>
    <message>
        <source>Remove 1 picture from the collection?

The picture file stays on disk; the thumbnail cache is emptied.</source>
        <translation>Убрать 1 изображение из коллекции?

Файл останется на диске; кэш миниатюр будет очищен.</translation>
    </message>
    <message>
        <source>Remove all %L1 pictures from the collection?

The picture files stay on disk; the thumbnail cache is emptied.</source>
        <translation>Убрать все изображения (%L1) из коллекции?

Файлы останутся на диске; кэш миниатюр будет очищен.</translation>
    </message>
</context>
<context>
    <name>SettingsWindow</name>
    <message>
        <source>Settings</source>
        <translation>Параметры</translation>
    </message>
    <message>
        <source>Start at logon</source>
        <translation>Запуск при входе</translation>
    </message>
    <message>
        <source>Change the wallpaper at start-up</source>
        <translation>Менять обои при запуске</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Применить</translation>
    </message>
    <message>
        <source>Hotkeys</source>
        <translation>Горячие клавиши</translation>
    </message>
    <message>
        <source>Clear the random wallpaper hotkey</source>
        <translation>Очистить клавишу случайных обоев</translation>
    </message>
    <message>
        <source>Clear the next wallpaper hotkey</source>
        <translation>Очистить клавишу следующих обоев</translation>
    </message>
    <message>
        <source>Clear the previous wallpaper hotkey</source>
        <translation>Очистить клавишу предыдущих обоев</translation>
    </message>
    <message>
        <source>Start at logon (Space)</source>
        <translation>Запуск при входе (Пробел)</translation>
    </message>
    <message>
        <source>Starts the program when you log on.</source>
        <translation>Запускает программу при входе в систему.</translation>
    </message>
    <message>
        <source>Change the wallpaper at start-up (Space)</source>
        <translation>Менять обои при запуске (Пробел)</translation>
    </message>
    <message>
        <source>Sets a random picture as the wallpaper when the program starts.</source>
        <translation>Ставит случайное изображение обоями при запуске программы.</translation>
    </message>
    <message>
        <source>Hotkeys on or off (Space)</source>
        <translation>Горячие клавиши вкл./выкл. (Пробел)</translation>
    </message>
    <message>
        <source>Lets the three hotkeys below change the wallpaper from any program.</source>
        <translation>Три клавиши ниже меняют обои из любой программы.</translation>
    </message>
    <message>
        <source>Applies the settings and closes.</source>
        <translation>Применяет параметры и закрывает окно.</translation>
    </message>
    <message>
        <source>Closes without applying.</source>
        <translation>Закрывает окно без применения.</translation>
    </message>
    <message>
        <source>Empties the hotkey field beside this button.</source>
        <translation>Очищает поле клавиши рядом с этой кнопкой.</translation>
    </message>
    <message>
        <source>Random wallpaper hotkey</source>
        <translation>Клавиша случайных обоев</translation>
    </message>
    <message>
        <source>Next wallpaper hotkey</source>
        <translation>Клавиша следующих обоев</translation>
    </message>
    <message>
        <source>Previous wallpaper hotkey</source>
        <translation>Клавиша предыдущих обоев</translation>
    </message>
    <message>
        <source>Placement</source>
        <translation>Режим</translation>
    </message>
    <message>
        <source>Fill</source>
        <translation>Заполнить</translation>
    </message>
    <message>
        <source>Fit</source>
        <translation>Вписать</translation>
    </message>
    <message>
        <source>Stretch</source>
        <translation>Растянуть</translation>
    </message>
    <message>
        <source>Center</source>
        <translation>По центру</translation>
    </message>
    <message>
        <source>Tile</source>
        <translation>Замостить</translation>
    </message>
    <message>
        <source>Span</source>
        <translation>На все экраны</translation>
    </message>
    <message>
        <source>Background colour</source>
        <translation>Цвет фона</translation>
    </message>
    <message>
        <source>Colour around a picture that does not fill the screen</source>
        <translation>Цвет вокруг изображения, не заполняющего экран</translation>
    </message>
    <message>
        <source>The logo key cannot be part of a hotkey</source>
        <translation>Клавиша с логотипом не может входить в сочетание</translation>
    </message>
    <message>
        <source>This key cannot be a hotkey</source>
        <translation>Эта клавиша не может быть горячей</translation>
    </message>
    <message>
        <source>%1 belongs to the system</source>
        <translation>%1 занята системой</translation>
    </message>
    <message>
        <source>Add Ctrl or Alt: other programs need this key</source>
        <translation>Добавьте Ctrl или Alt: эта клавиша нужна другим программам</translation>
    </message>
    <message>
        <source>Another program uses this combination</source>
        <translation>Это сочетание занято другой программой</translation>
    </message>
    <message>
        <source>No key of this keyboard makes this combination</source>
        <translation>Ни одна клавиша этой раскладки не даёт такое сочетание</translation>
    </message>
    <message>
        <source>Monitors</source>
        <translation>Мониторы</translation>
    </message>
    <message>
        <source>The same picture on every monitor, or a different picture on each monitor, the monitors taking new pictures in turn</source>
        <translation>Одна картинка на всех мониторах или своя картинка на каждом мониторе; новые картинки мониторы получают по очереди</translation>
    </message>
    <message>
        <source>All the same</source>
        <translation>Одинаково</translation>
    </message>
    <message>
        <source>Each its own</source>
        <translation>У каждого своя</translation>
    </message>
</context>
<context>
    <name>Skin</name>
    <message>
        <source>ON</source>
        <extracomment>On the switches, in capitals: the on and off states.</extracomment>
        <translation>ВКЛ</translation>
    </message>
    <message>
        <source>OFF</source>
        <extracomment>On the switches, in capitals: the on and off states.</extracomment>
        <translation>ВЫКЛ</translation>
    </message>
    <message>
        <source>Manager</source>
        <translation>Менеджер</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Параметры</translation>
    </message>
    <message>
        <source>About</source>
        <translation>О программе</translation>
    </message>
    <message>
        <source>Number</source>
        <translation>Номер</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Файл</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Папка</translation>
    </message>
    <message>
        <source>BROWSE</source>
        <translation>ПРОСМОТР</translation>
    </message>
    <message>
        <source>WALLPAPER</source>
        <translation>ОБОИ</translation>
    </message>
    <message>
        <source>AUTOMATIC CHANGE</source>
        <translation>АВТОСМЕНА</translation>
    </message>
    <message>
        <source>First</source>
        <translation>Начало</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Назад</translation>
    </message>
    <message>
        <source>Random</source>
        <translation>Наугад</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Вперёд</translation>
    </message>
    <message>
        <source>Last</source>
        <translation>Конец</translation>
    </message>
    <message>
        <source>Param.</source>
        <extracomment>Short for the settings (parameters).</extracomment>
        <translation>Парам.</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Применить</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Справка</translation>
    </message>
    <message>
        <source>h</source>
        <extracomment>Short for hours, over the hours of the change interval.</extracomment>
        <translation>ч</translation>
    </message>
    <message>
        <source>min</source>
        <extracomment>Short for minutes, over the minutes of the change interval.</extracomment>
        <translation>мин</translation>
    </message>
    <message>
        <source>On/Off</source>
        <extracomment>Over the switch that turns the automatic change on and off.</extracomment>
        <translation>Вкл/Выкл</translation>
    </message>
    <message>
        <source>Add images</source>
        <translation>Добавить файлы</translation>
    </message>
    <message>
        <source>Add folders</source>
        <translation>Добавить папки</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Удалить</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Очистить</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>Start when I log on</source>
        <translation>Запуск при входе</translation>
    </message>
    <message>
        <source>Change the image at application start-up</source>
        <translation>Менять картинку при запуске программы</translation>
    </message>
    <message>
        <source>Change the wallpaper by global hotkeys</source>
        <translation>Менять обои глобальными клавишами</translation>
    </message>
    <message>
        <source>Random wallpaper</source>
        <translation>Случайные обои</translation>
    </message>
    <message>
        <source>Next wallpaper</source>
        <translation>Следующие обои</translation>
    </message>
    <message>
        <source>Previous wallpaper</source>
        <translation>Предыдущие обои</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Версия %1</translation>
    </message>
    <message>
        <source>Check for an update</source>
        <translation>Проверить обновления</translation>
    </message>
    <message>
        <source>Apply</source>
        <comment>the picture as the wallpaper</comment>
        <translation>Применить</translation>
    </message>
    <message>
        <source>Random</source>
        <comment>the order of the automatic change</comment>
        <translation>Вразброс</translation>
    </message>
</context>
<context>
    <name>TrayIcon</name>
    <message>
        <source>Next Wallpaper</source>
        <translation>Следующие обои</translation>
    </message>
    <message>
        <source>Prev Wallpaper</source>
        <translation>Предыдущие обои</translation>
    </message>
    <message>
        <source>Random Wallpaper</source>
        <translation>Случайные обои</translation>
    </message>
    <message>
        <source>About</source>
        <translation>О программе</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Выход</translation>
    </message>
</context>
</TS>
