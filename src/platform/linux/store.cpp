// Settings store on Linux: an INI file $XDG_CONFIG_HOME/Quorvane/Quorvane.conf,
// `version` at the top level and the settings in [param]. QSettings replaces
// the file atomically when it writes it.
#include "platform/store.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <limits>
#include <memory>

namespace platform {

namespace {

QString storeFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quorvane/Quorvane.conf");
}

std::unique_ptr<QSettings> openStore() {
    return std::make_unique<QSettings>(storeFile(), QSettings::IniFormat);
}

QString keyOf(const std::string& section, const std::string& name) {
    const QString n = QString::fromUtf8(name);
    return section.empty() ? n : QString::fromUtf8(section) + QLatin1Char('/') + n;
}

std::unique_ptr<QSettings> g_batch;
QString g_batchSection;

void checkStatus(QSettings& s) {
    if (s.status() == QSettings::AccessError)
        throw StoreError("Cannot write the settings file " + s.fileName().toStdString());
    if (s.status() == QSettings::FormatError)
        throw StoreError("The settings file " + s.fileName().toStdString() + " is damaged");
}

} // namespace

bool storeSectionExists(const std::string& section) {
    if (!QFileInfo::exists(storeFile()))
        return false;
    auto s = openStore();
    if (section.empty())
        return true;
    return s->childGroups().contains(QString::fromUtf8(section), Qt::CaseInsensitive);
}

bool storeReadString(const std::string& section, const std::string& name, std::string& value) {
    auto s = openStore();
    const QVariant v = s->value(keyOf(section, name));
    if (!v.isValid() || v.typeId() != QMetaType::QString)
        return false;
    value = v.toString().toStdString();
    return true;
}

bool storeReadInt(const std::string& section, const std::string& name, std::int32_t& value) {
    auto s = openStore();
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
    const QString dir = QFileInfo(storeFile()).absolutePath();
    if (!QDir().mkpath(dir))
        throw StoreError("Cannot create the settings folder " + dir.toStdString());
    g_batch = openStore();
    g_batchSection = QString::fromUtf8(section);
}

void storeWriteString(const std::string& name, const std::string& value) {
    if (!g_batch)
        throw StoreError("settings store not opened for writing");
    g_batch->setValue(keyOf(g_batchSection.toStdString(), name), QString::fromUtf8(value));
}

void storeWriteInt(const std::string& name, std::int32_t value) {
    if (!g_batch)
        throw StoreError("settings store not opened for writing");
    g_batch->setValue(keyOf(g_batchSection.toStdString(), name), QString::number(value));
}

void storeCommit() {
    if (!g_batch)
        return;
    std::unique_ptr<QSettings> s = std::move(g_batch);
    s->sync();
    checkStatus(*s);
}

void storeWipe() {
    if (!QFileInfo::exists(storeFile()))
        return;
    auto s = openStore();
    s->clear();
    s->sync();
    checkStatus(*s);
}

void deleteMachineRunValue(const std::string&) {
    // System-wide autostart entries belong to the administrator.
}

} // namespace platform
