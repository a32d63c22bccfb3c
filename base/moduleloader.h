// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QStringList>
#include <functional>

// The program's optional parts (the network and audio engine modules) are
// shared libraries it opens on first use.

// Where a module named fileName may sit: beside the executable, or in the
// installed library folder.
QStringList moduleCandidates(const QString &fileName);

// Opens each existing candidate in turn and hands the function it exports as
// `factory` to make, until make reports it has built its object. A module
// once opened is never closed: the object's code and the threads its
// libraries start outlive the call. False, with the reasons in *why, when no
// candidate served.
bool loadFromModule(const QStringList &candidates, const QString &fileName, const char *factory,
                    const std::function<bool(QFunctionPointer)> &make, QString *why);
