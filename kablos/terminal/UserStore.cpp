#include "UserStore.h"

#include <QSettings>

namespace kablos {
namespace {

constexpr auto kOrganisation = "Brindlex";
constexpr auto kApplication = "電線処理ダイアログ";
constexpr auto kSection = "Properties";

QSettings Store() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QString::fromUtf8(kOrganisation),
                     QString::fromUtf8(kApplication));
}

// A value as the text the user wrote. An unquoted value with commas, such as a hand-written
// Settings=9600,n,8,1, comes out of the store as a list: it is read whole again.
QString TextValue(const QSettings& store, const QString& key) {
    const QVariant value = store.value(key);
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

std::optional<int> IntValue(const QSettings& store, const char* key) {
    if (!store.contains(key))
        return std::nullopt;
    bool ok = false;
    int value = TextValue(store, key).trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

}  // namespace

UserProperties UserStore::Read() {
    QSettings store = Store();
    store.beginGroup(kSection);
    UserProperties properties;
    if (store.contains("Settings")) {
        properties.Settings = TextValue(store, "Settings").toStdString();
    }
    properties.CommPort = IntValue(store, "CommPort");
    properties.Handshaking = IntValue(store, "Handshaking");
    if (store.contains("Echo")) {
        QString echo = TextValue(store, "Echo").trimmed();
        if (echo.compare("True", Qt::CaseInsensitive) == 0 || echo == "1" || echo == "-1") {
            properties.Echo = true;
        } else if (echo.compare("False", Qt::CaseInsensitive) == 0 || echo == "0") {
            properties.Echo = false;
        }
    }
    properties.MType = TextValue(store, "MType").toStdString();
    return properties;
}

bool UserStore::Write(const std::string& settings, int commPort, int handshaking, bool echo,
                      const std::string& mtype) {
    QSettings store = Store();
    store.beginGroup(kSection);
    store.setValue("Settings", QString::fromStdString(settings));
    store.setValue("CommPort", QString::number(commPort));
    store.setValue("Handshaking", QString::number(handshaking));
    store.setValue("Echo", echo ? "True" : "False");
    store.setValue("MType", QString::fromStdString(mtype));
    store.endGroup();
    store.sync();
    return store.status() == QSettings::NoError;
}

std::string UserStore::PortDevice(int number) {
    QSettings store = Store();
    QString device = TextValue(store, QStringLiteral("Ports/%1").arg(number)).trimmed();
    if (!device.isEmpty())
        return device.toStdString();
    return "/dev/ttyS" + std::to_string(number - 1);
}

bool UserStore::SetPortDevice(int number, const std::string& device) {
    QSettings store = Store();
    QString key = QStringLiteral("Ports/%1").arg(number);
    if (device.empty()) {
        store.remove(key);
    } else {
        store.setValue(key, QString::fromStdString(device));
    }
    store.sync();
    return store.status() == QSettings::NoError;
}

std::string UserStore::FilePath() {
    return Store().fileName().toStdString();
}

}  // namespace kablos
