#include "MailPlaceTest.h"
#include "MailStressTest.h"
#include "MessageFileTest.h"
#include "MessageSenderTest.h"
#include "TextScrambleTest.h"
#include "support/TestMain.h"

PORLUNE_TEST_MAIN(
    TextScrambleTest, MessageFileTest, MailPlaceTest, MessageSenderTest, MailStressTest)
