#include "HotKeyCenter.h"

#include "X11HotKeyCenter.h"

HotKeyCenter* HotKeyCenter::createSystem(QObject* parent)
{
    return new X11HotKeyCenter(parent);
}
