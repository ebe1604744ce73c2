#include "support/TestMain.h"

#include "tst_BoardAccess.h"
#include "tst_BoardFile.h"
#include "tst_SharedClaim.h"

PORLUNE_TEST_MAIN(TestBoardFile, TestSharedClaim, TestBoardAccess)
