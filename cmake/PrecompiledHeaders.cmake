# The Qt and standard headers most of our files include, compiled once per library instead of once
# per file: reading them was most of each file's compile time.
set(QUILLMARSH_COMMON_HEADERS
  <QByteArray> <QDir> <QFile> <QFileInfo> <QJsonArray> <QJsonDocument> <QJsonObject> <QList> <QObject>
  <QString> <QStringList> <QTimer> <QUrl> <QVariant>
  <algorithm> <chrono> <functional> <memory> <mutex> <optional> <vector>)
# What the application's and the design system's files add to those.
set(QUILLMARSH_WINDOW_HEADERS ${QUILLMARSH_COMMON_HEADERS}
  <QGuiApplication> <QPointer> <QQuickItem> <QQuickWindow> <QtQml/qqmlregistration.h>)
# quillmarsh_precompile_window_headers(TARGET): for a library whose own sources alone carry the
# warnings, beside Qt's generated code. -Wpedantic changes what the compiler predefines, so the
# header is compiled with it, as every file that reads it is.
function(quillmarsh_precompile_window_headers target)
  target_precompile_headers(${target} PRIVATE ${QUILLMARSH_WINDOW_HEADERS})
  target_compile_options(${target} PRIVATE -Wpedantic)
endfunction()
