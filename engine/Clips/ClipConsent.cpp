#include "Clips/ClipConsent.h"

namespace ClipConsent {

QString version()
{
    return QStringLiteral("2026-10-16");
}

QString summary()
{
    return QStringLiteral(
        "I\u2019m happy for Quillmarsh to use this clip and the text above to train and test its speech models. "
        "It\u2019s anonymous. I can ask for it to be deleted, using this clip\u2019s code.");
}

QString details()
{
    return QStringLiteral(
        "What is sent: the recording you chose, the text you confirmed above, the language, how long it is, "
        "the version of the app, and the version of this wording. Nothing else: not your name, email or "
        "account, not the app you were in, and not any other dictation."
        "\n\n"
        "What we do with it: we use it to train and test speech recognition for Persian and Persian mixed "
        "with English. We keep it in a private store, we never publish it or sell it, and only people working "
        "on the speech models can reach it."
        "\n\n"
        "Your control: after sending you get a code. Give it to us, or use \"Delete from Quillmarsh\" in the "
        "app, and the clip is deleted. Because the clip is anonymous, the code is the only way we can find it. "
        "A model that was already trained on a clip is not retrained, but the clip is not used again.");
}

}
