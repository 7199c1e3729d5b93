#include "FeedbackMail.h"

#include "AppInfo.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QMessageBox>
#include <QSysInfo>
#include <QUrlQuery>

QUrl FeedbackMail::url()
{
    QUrl mail(QStringLiteral("mailto:") + address);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"), QStringLiteral("Quillmarsh feedback"));
    query.addQueryItem(QStringLiteral("body"),
                       QStringLiteral("\n\n—\n%1, %2").arg(AppInfo::versionText(), QSysInfo::prettyProductName()));
    mail.setQuery(query);
    return mail;
}

void FeedbackMail::open()
{
    if (QDesktopServices::openUrl(url()))
        return;
    QApplication::clipboard()->setText(address);
    QMessageBox::information(
        nullptr, QStringLiteral("No mail app is set up"),
        QStringLiteral("The feedback address, %1, is copied. Paste it into your mail.").arg(address));
}
