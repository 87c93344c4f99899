// A stand-in for the Plasma shell on a private session bus: it owns
// org.kde.PlasmaShell, runs each script sent to /PlasmaShell evaluateScript
// in a JavaScript engine against three desktop containments (two screens of
// the current activity, one of another), and after each call writes the
// containments and every script received to the JSON file named on its
// command line.
//
//   fake_plasmashell <state.json>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QFile>
#include <QJSEngine>
#include <QJSValue>
#include <QSaveFile>

#include <cstdio>

namespace {

// The containment API the shell offers scripts, as far as the wallpaper
// goes: desktops(), each with screen, wallpaperPlugin, currentConfigGroup,
// writeConfig and readConfig; print() gives the call's answer.
constexpr const char* Prelude = R"JS(
var __state = { desktops: [
    { screen: 0, wallpaperPlugin: "org.kde.color", config: {} },
    { screen: 1, wallpaperPlugin: "org.kde.color", config: {} },
    { screen: -1, wallpaperPlugin: "org.kde.slideshow", config: {} } ], scripts: [] };
var __printed = [];
function __Desktop(state) { this.__s = state; this.__group = []; }
Object.defineProperty(__Desktop.prototype, "screen", {
    get: function () { return this.__s.screen; } });
Object.defineProperty(__Desktop.prototype, "wallpaperPlugin", {
    get: function () { return this.__s.wallpaperPlugin; },
    set: function (v) { this.__s.wallpaperPlugin = String(v); } });
Object.defineProperty(__Desktop.prototype, "currentConfigGroup", {
    get: function () { return this.__group.slice(); },
    set: function (g) { this.__group = Array.prototype.map.call(g, String); } });
__Desktop.prototype.writeConfig = function (key, value) {
    this.__s.config[this.__group.concat([key]).join("/")] = value; };
__Desktop.prototype.readConfig = function (key, fallback) {
    var k = this.__group.concat([key]).join("/");
    return k in this.__s.config ? this.__s.config[k] : fallback; };
function desktops() { return __state.desktops.map(function (s) { return new __Desktop(s); }); }
function print(x) { __printed.push(String(x)); }
)JS";

class PlasmaShell : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")

public:
    explicit PlasmaShell(QString stateFile) : m_stateFile(std::move(stateFile)) {
        m_engine.evaluate(QString::fromUtf8(Prelude));
        save();
    }

public slots:
    Q_SCRIPTABLE QString evaluateScript(const QString& script) {
        m_engine.globalObject()
            .property("__state")
            .property("scripts")
            .property("push")
            .callWithInstance(m_engine.globalObject().property("__state").property("scripts"),
                              {script});
        m_engine.evaluate("__printed = [];");
        const QJSValue result = m_engine.evaluate(script);
        save();
        if (result.isError()) {
            sendErrorReply(QDBusError::Failed, result.toString());
            return {};
        }
        return m_engine.evaluate("__printed.join('\\n')").toString();
    }

private:
    void save() {
        QSaveFile out(m_stateFile);
        if (out.open(QIODevice::WriteOnly)) {
            out.write(m_engine.evaluate("JSON.stringify(__state)").toString().toUtf8());
            out.commit();
        }
    }

    QJSEngine m_engine;
    QString m_stateFile;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: fake_plasmashell <state.json>\n");
        return 2;
    }
    PlasmaShell shell(QFile::decodeName(argv[1]));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject("/PlasmaShell", &shell, QDBusConnection::ExportScriptableSlots) ||
        !bus.registerService("org.kde.PlasmaShell")) {
        std::fprintf(stderr, "fake_plasmashell: cannot own org.kde.PlasmaShell\n");
        return 1;
    }
    return app.exec();
}

#include "fake_plasmashell.moc"
