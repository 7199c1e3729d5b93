#include "DictationDesktop.h"

DictationDesktop::DictationDesktop(HotkeyMonitor::Key key)
    : input(synthetic), keys(input, key), watcher(input), poster(synthetic, display), clipboard(display)
{
}

DictationFlow::Desktop DictationDesktop::parts(const AppIdentity& applications)
{
    return {keys, windows, applications, focus, watcher, poster, clipboard};
}
