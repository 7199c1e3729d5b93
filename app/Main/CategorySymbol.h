#pragma once

#include "Style/AppCategory.h"

#include <QString>

// The symbol drawn for a kind of application, wherever the application shows one.
QString categorySymbol(AppCategory category);
