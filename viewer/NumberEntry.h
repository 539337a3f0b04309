#pragma once
// The number entry lives with the viewer's rules, which link no widgets; the dialogs include it
// from here.
#include "viewer/rules/NumberEntry.h"
