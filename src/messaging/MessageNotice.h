#pragma once

#include <QString>

struct MessageFile;

// The desktop notification of a received message: the sender in the title,
// the first line of the text below it. A sealed message gives away nothing of
// its text, only that one came.
struct MessageNotice {
    QString title;
    QString text;
};

MessageNotice messageNotice(const MessageFile& message);
