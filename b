Liravo 318
QXcbEventQueue 205
QDBusConnection 46
