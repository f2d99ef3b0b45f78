#pragma once

// The three statistics windows, for those that create or drive all of them.
#include "TForm3.h"
#include "TForm5.h"
#include "TForm6.h"
