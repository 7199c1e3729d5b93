#pragma once

#include <QColor>
#include <QObject>
#include <QtQml/qqmlregistration.h>

// The application's fixed palette (there is no dark appearance), for C++ and, as the singleton
// `QM`, for QML. `keyEdge` has the value of `dash` but is a separate choice.
class QM : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QColor ink MEMBER ink CONSTANT)
    Q_PROPERTY(QColor paper MEMBER paper CONSTANT)
    Q_PROPERTY(QColor sub MEMBER sub CONSTANT)
    Q_PROPERTY(QColor faint MEMBER faint CONSTANT)
    Q_PROPERTY(QColor line MEMBER line CONSTANT)
    Q_PROPERTY(QColor chip MEMBER chip CONSTANT)
    Q_PROPERTY(QColor soft MEMBER soft CONSTANT)
    Q_PROPERTY(QColor dotOff MEMBER dotOff CONSTANT)
    Q_PROPERTY(QColor dash MEMBER dash CONSTANT)
    Q_PROPERTY(QColor keyEdge MEMBER keyEdge CONSTANT)
    Q_PROPERTY(QColor saffron MEMBER saffron CONSTANT)
    Q_PROPERTY(QColor warm MEMBER warm CONSTANT)
    Q_PROPERTY(QColor warmLine MEMBER warmLine CONSTANT)
    Q_PROPERTY(QColor menubar MEMBER menubar CONSTANT)
    Q_PROPERTY(QColor rule MEMBER rule CONSTANT)
    Q_PROPERTY(QColor amber MEMBER amber CONSTANT)
    Q_PROPERTY(QColor saffronBright MEMBER saffronBright CONSTANT)
    Q_PROPERTY(QColor onInk MEMBER onInk CONSTANT)
    Q_PROPERTY(QColor sidebar MEMBER sidebar CONSTANT)
    Q_PROPERTY(QColor danger MEMBER danger CONSTANT)

public:
    using QObject::QObject;

    static constexpr QColor ink{17, 18, 22};  // #111216
    static constexpr QColor paper{252, 252, 251};  // #FCFCFB
    static constexpr QColor sub{94, 97, 106};  // #5E616A
    static constexpr QColor faint{118, 121, 130};  // #767982
    static constexpr QColor line{226, 225, 221};  // #E2E1DD
    static constexpr QColor chip{240, 239, 236};  // #F0EFEC
    static constexpr QColor soft{246, 245, 242};  // #F6F5F2
    static constexpr QColor dotOff{214, 213, 208};  // #D6D5D0
    static constexpr QColor dash{207, 205, 199};  // #CFCDC7
    static constexpr QColor keyEdge{207, 205, 199};  // #CFCDC7
    static constexpr QColor saffron{196, 124, 0};  // #C47C00
    static constexpr QColor warm{251, 244, 230};  // #FBF4E6
    static constexpr QColor warmLine{232, 211, 174};  // #E8D3AE
    static constexpr QColor menubar{236, 237, 239};  // #ECEDEF
    static constexpr QColor rule{236, 235, 231};  // #ECEBE7
    static constexpr QColor amber{138, 90, 0};  // #8A5A00
    static constexpr QColor saffronBright{232, 163, 61};  // #E8A33D
    static constexpr QColor onInk{180, 182, 190};  // #B4B6BE
    static constexpr QColor sidebar{243, 242, 238};  // #F3F2EE
    static constexpr QColor danger{179, 38, 30};  // #B3261E
};
