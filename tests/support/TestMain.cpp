// The main of every engine test program: a Qt application for queued work and networking, and
// a private home for the process so no test touches the user's files or settings.

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/quillmarsh-test-XXXXXX"));
    const QByteArray base = QFile::encodeName(home.path());
    qputenv("HOME", base);
    qputenv("XDG_DATA_HOME", base + "/data");
    qputenv("XDG_CONFIG_HOME", base + "/config");
    qputenv("XDG_STATE_HOME", base + "/state");
    qputenv("XDG_CACHE_HOME", base + "/cache");
    if (!qEnvironmentVariableIsSet("QUILLMARSH_LOG"))
        qputenv("QUILLMARSH_LOG", base + "/test.log");

    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
