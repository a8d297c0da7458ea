// Forwards to testing/test_run.h for the driver tests that still include this name.
#ifndef PEDPREP_TESTING_DRIVER_TEST_SUPPORT_H_
#define PEDPREP_TESTING_DRIVER_TEST_SUPPORT_H_

#include "testing/test_run.h"

#endif  // PEDPREP_TESTING_DRIVER_TEST_SUPPORT_H_
