#include "Main/Styles/Applications.h"

#include <QCollator>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QSet>

#include <algorithm>

Applications::Applications(const DesktopWindows& windows, const AppIdentity& identity, QObject* parent)
    : QObject(parent), windows_(windows), identity_(identity)
{
}

QString Applications::ownId()
{
    QString id = QGuiApplication::desktopFileName();
    if (id.endsWith(QLatin1String(".desktop")))
        id.chop(8);
    return id.isEmpty() ? QCoreApplication::applicationName().toLower() : id;
}

QVariantList Applications::offered(const QStringList& existing) const
{
    struct Offer {
        QString id;
        QString name;
    };
    const QString own = ownId();
    const qint64 ownPid = QCoreApplication::applicationPid();
    QSet<QString> seen(existing.begin(), existing.end());
    QList<Offer> offers;
    for (const DesktopWindow& window : windows_.applicationWindows()) {
        if (window.desktopId.isEmpty() || window.pid == ownPid || window.desktopId == own
            || seen.contains(window.desktopId))
            continue;
        seen.insert(window.desktopId);
        offers.append({window.desktopId, name(window.desktopId)});
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(offers.begin(), offers.end(),
                     [&collator](const Offer& a, const Offer& b) { return collator.compare(a.name, b.name) < 0; });
    QVariantList result;
    for (const Offer& offer : offers)
        result.append(QVariantMap{{QStringLiteral("id"), offer.id}, {QStringLiteral("name"), offer.name}});
    return result;
}

QString Applications::name(const QString& desktopId) const
{
    return identity_.name(desktopId);
}

QIcon Applications::icon(const QString& desktopId) const
{
    const auto entry = identity_.entry(desktopId);
    return entry ? entry->icon : QIcon();
}
