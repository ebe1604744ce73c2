#include "support/TestMain.h"

#include "tst_BoardStress.h"

PORLUNE_TEST_MAIN(TestBoardStress)
