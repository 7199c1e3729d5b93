#include "DictationDesktop.h"

DictationDesktop::DictationDesktop(HotkeyMonitor::Key key)
    : input(synthetic), keys(input, key), watcher(input), poster(synthetic)
{
}

DictationFlow::Desktop DictationDesktop::parts()
{
    return {keys, windows, focus, watcher, poster, clipboard};
}
