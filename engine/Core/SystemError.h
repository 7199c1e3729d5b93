#pragma once
// A system call's failure in words the user can act on.

#include <QString>

// "the disk is full" for a full disk or an exhausted quota; else the system's own description.
QString systemErrorText(int error);
