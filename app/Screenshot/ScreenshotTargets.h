#pragma once
// The windows `scripts/screenshot WINDOW/PAGE FILE` can draw. Adding a window is one entry of the
// table in ScreenshotTargets.cpp: a name and a function that opens that window on a page through
// the delegate and returns it.

#include "SeedData.h"

#include <QSize>
#include <QString>

#include <functional>
#include <span>

class AppDelegate;
class QQuickWindow;

struct ScreenshotOptions {
    SeedData::Sample sample = SeedData::Sample::usual;
    // The main window's size; empty for the size it takes on a roomy screen. Other windows keep
    // their own.
    QSize size;
};

struct ScreenshotTarget {
    const char* window;
    // The page names the target knows, for the usage text.
    const char* pages;
    // Opens the window on the page; nothing when the page is unknown or the window can't be built.
    std::function<QQuickWindow*(AppDelegate& delegate, const QString& page, const ScreenshotOptions& options)> open;
};

const ScreenshotTarget* findScreenshotTarget(const QString& window);
// Every target, in the order of the usage text.
std::span<const ScreenshotTarget> screenshotTargets();
QString screenshotUsage();
