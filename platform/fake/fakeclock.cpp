#include "platform/fake/fakeclock.h"
