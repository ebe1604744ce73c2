#include "support/FakeHotKey.h"

bool FakeHotKey::registerHotKey(int code)
{
    unregisterHotKey();
    m_history.append(code);
    if ((code & 0xFF) == 0 || m_taken.contains(code))
        return false;
    m_code = code;
    return true;
}

void FakeHotKey::unregisterHotKey()
{
    if (m_code == 0)
        return;
    m_history.append(-1);
    m_code = 0;
}

bool FakeHotKey::press(int code)
{
    if (m_code == 0 || code != m_code)
        return false;
    Q_EMIT activated();
    return true;
}
