#pragma once
// The windows `scripts/screenshot WINDOW/PAGE FILE` can draw. Adding a window is one entry of the
// table in ScreenshotTargets.cpp: a name and a function that opens that window on a page through
// the delegate and returns it.

#include <QString>

#include <functional>

class AppDelegate;
class QQuickWindow;

struct ScreenshotTarget {
    const char* window;
    // The page names the target knows, for the usage text.
    const char* pages;
    // Opens the window on the page; nothing when the page is unknown or the window can't be built.
    std::function<QQuickWindow*(AppDelegate& delegate, const QString& page)> open;
};

const ScreenshotTarget* findScreenshotTarget(const QString& window);
QString screenshotUsage();
