// The program the console tests run: the built tkvcon, the simulator preloaded.
#include "console_driver.h"

const char kTestedProgram[] = TKVCON_PATH;
const char kTestedPreload[] = TKV_PRELOAD;
