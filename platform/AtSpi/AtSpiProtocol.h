#pragma once
// The words of the AT-SPI2 interface this layer speaks: an accessible's address, the interfaces,
// the numbers of the roles and states asked about, and how their replies read.

#include <QDBusMessage>
#include <QList>
#include <QString>
#include <QVariant>

namespace AtSpi {

// An accessible: the bus name of its application and its object path.
struct Node {
    QString service;
    QString path;
};

inline const QString accessibleInterface = QStringLiteral("org.a11y.atspi.Accessible");
inline const QString applicationInterface = QStringLiteral("org.a11y.atspi.Application");
inline const QString textInterface = QStringLiteral("org.a11y.atspi.Text");
inline const QString editableTextInterface = QStringLiteral("org.a11y.atspi.EditableText");
inline const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
inline const QString rootPath = QStringLiteral("/org/a11y/atspi/accessible/root");

inline constexpr uint rolePageTab = 37;
inline constexpr uint rolePasswordText = 40;
inline constexpr uint roleTerminal = 60;
inline constexpr uint roleText = 61;
inline constexpr uint roleParagraph = 73;
inline constexpr uint roleEntry = 79;
inline constexpr int stateEditable = 7;
inline constexpr int stateFocused = 12;
inline constexpr int stateShowing = 25;

QDBusMessage message(const Node& node, const QString& interface, const QString& method,
                     const QList<QVariant>& arguments = {});
// Whether a reply of GetState holds the state.
bool hasState(const QList<QVariant>& reply, int state);
// The value in a reply of Properties.Get.
QVariant propertyValue(const QList<QVariant>& reply);
// The accessibles in a reply of GetChildren, without the null ones.
QList<Node> nodesIn(const QList<QVariant>& reply);

}
