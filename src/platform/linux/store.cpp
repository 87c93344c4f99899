// Settings store on Linux: an INI file $XDG_CONFIG_HOME/Quorvane/Quorvane.conf,
// `version` at the top level and the settings in [param]. QSettings reads it;
// it is written whole, atomically, with every step of the write checked.
#include "platform/store.h"

#include "platform/log.h"
#include "storage/atomicfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <limits>
#include <map>
#include <memory>

namespace platform {

namespace {

QString storeFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quorvane/Quorvane.conf");
}

// A settings file that cannot be parsed is kept aside under another name
// (Quorvane.conf.damaged, then .damaged-2, ...), so that the defaults are
// used, the next save writes a sound file, and nothing of the old one is lost.
void keepDamagedAside(const QString& file) {
    QString aside = file + QStringLiteral(".damaged");
    for (int n = 2; QFileInfo::exists(aside) && n < 1000; ++n)
        aside = file + QStringLiteral(".damaged-") + QString::number(n);
    if (QFile::rename(file, aside))
        warn("the settings file was damaged; it is kept as " + aside.toStdString() +
             " and the defaults are used");
    else
        warn("the settings file is damaged and cannot be moved aside; the defaults are used");
}

// The settings as stored, for reading; null when there are none. Only a
// regular file is read (a FIFO or a device in its place would block or feed
// the program endlessly); a damaged one is kept aside first.
std::unique_ptr<QSettings> openStore() {
    const QString file = storeFile();
    if (!QFileInfo(file).isFile())
        return nullptr;
    auto s = std::make_unique<QSettings>(file, QSettings::IniFormat);
    // QSettings parses on the first look-up, and only then knows its status.
    (void)s->allKeys();
    if (s->status() == QSettings::FormatError) {
        s.reset();
        keepDamagedAside(file);
        return nullptr;
    }
    return s;
}

QString keyOf(const std::string& section, const std::string& name) {
    const QString n = QString::fromUtf8(name);
    return section.empty() ? n : QString::fromUtf8(section) + QLatin1Char('/') + n;
}

// The values being written by a batch, each key "section/name" or "name",
// over everything the file held when the batch began.
std::unique_ptr<std::map<QString, QString>> g_batch;
QString g_batchSection;

std::map<QString, QString> storedValues() {
    std::map<QString, QString> values;
    if (auto s = openStore())
        for (const QString& key : s->allKeys()) {
            const QVariant v = s->value(key);
            if (v.typeId() == QMetaType::QString)
                values[key] = v.toString();
        }
    return values;
}

// A value as QSettings reads it back: plain when it holds only characters
// that mean nothing in the file, else quoted with \ and \" escaped.
QByteArray iniValue(const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    bool plain = !utf8.isEmpty() && utf8.front() != ' ' && utf8.back() != ' ';
    for (char c : utf8)
        plain = plain && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_' || c == ' ');
    if (plain)
        return utf8;
    QByteArray quoted = "\"";
    for (char c : utf8) {
        if (c == '\\' || c == '"')
            quoted += '\\';
        if (c == '\n')
            quoted += "\\n";
        else if (c == '\r')
            quoted += "\\r";
        else
            quoted += c;
    }
    return quoted + '"';
}

// The INI text of the values: the top-level ones under [General], as
// QSettings keeps them, then one group per section.
QByteArray iniText(const std::map<QString, QString>& values) {
    std::map<QString, QByteArray> groups;
    for (const auto& [key, value] : values) {
        const qsizetype slash = key.indexOf(QLatin1Char('/'));
        const QString group = slash < 0 ? QStringLiteral("General") : key.left(slash);
        const QString name = slash < 0 ? key : key.mid(slash + 1);
        groups[group] += name.toUtf8() + '=' + iniValue(value) + '\n';
    }
    QByteArray text;
    if (auto general = groups.find(QStringLiteral("General")); general != groups.end())
        text += "[General]\n" + general->second + '\n';
    for (const auto& [group, lines] : groups)
        if (group != QLatin1String("General"))
            text += '[' + group.toUtf8() + "]\n" + lines + '\n';
    return text;
}

} // namespace

bool storeSectionExists(const std::string& section) {
    auto s = openStore();
    if (!s)
        return false;
    if (section.empty())
        return true;
    return s->childGroups().contains(QString::fromUtf8(section), Qt::CaseInsensitive);
}

bool storeReadString(const std::string& section, const std::string& name, std::string& value) {
    auto s = openStore();
    if (!s)
        return false;
    const QVariant v = s->value(keyOf(section, name));
    if (!v.isValid() || v.typeId() != QMetaType::QString)
        return false;
    value = v.toString().toStdString();
    return true;
}

bool storeReadInt(const std::string& section, const std::string& name, std::int32_t& value) {
    auto s = openStore();
    if (!s)
        return false;
    const QVariant v = s->value(keyOf(section, name));
    if (!v.isValid() || v.typeId() != QMetaType::QString)
        return false;
    // A DWORD is 32 bits: accept the signed form and the unsigned form of the
    // same bits, as a registry export would show them.
    bool ok = false;
    const qlonglong n = v.toString().trimmed().toLongLong(&ok);
    if (!ok || n < std::numeric_limits<std::int32_t>::min() ||
        n > std::numeric_limits<std::uint32_t>::max())
        return false;
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(n));
    return true;
}

void storeBegin(const std::string& section) {
    g_batch = std::make_unique<std::map<QString, QString>>(storedValues());
    g_batchSection = QString::fromUtf8(section);
}

void storeWriteString(const std::string& name, const std::string& value) {
    if (!g_batch)
        throw StoreError("settings store not opened for writing");
    (*g_batch)[keyOf(g_batchSection.toStdString(), name)] = QString::fromUtf8(value);
}

void storeWriteInt(const std::string& name, std::int32_t value) {
    if (!g_batch)
        throw StoreError("settings store not opened for writing");
    (*g_batch)[keyOf(g_batchSection.toStdString(), name)] = QString::number(value);
}

void storeCommit() {
    if (!g_batch)
        return;
    const std::unique_ptr<std::map<QString, QString>> values = std::move(g_batch);
    const QString file = storeFile();
    const QString dir = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(dir))
        throw StoreError("Cannot create the settings folder " + dir.toStdString());
    const QByteArray text = iniText(*values);
    try {
        writeFileAtomically(QFile::encodeName(file).toStdString(),
                            std::string_view(text.constData(), size_t(text.size())));
    } catch (const std::exception& e) {
        throw StoreError(e.what());
    }
}

void storeWipe() {
    if (!QFileInfo(storeFile()).isFile())
        return;
    if (!QFile::remove(storeFile()))
        throw StoreError("Cannot remove the settings file " + storeFile().toStdString());
}

void deleteMachineRunValue(const std::string&) {
    // System-wide autostart entries belong to the administrator.
}

} // namespace platform
