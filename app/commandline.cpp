// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commandline.h"

#include "liravo/version.h"

#include <iostream>

namespace {
// Qt's own options (QGuiApplication and QApplication take them off the
// arguments before the player sees them), with whether a value follows.
struct QtOption {
    const char *name;
    bool takesValue;
};
constexpr QtOption kQtOptions[] = {
    {"platform", true},     {"platformpluginpath", true}, {"platformtheme", true},
    {"plugin", true},       {"display", true},            {"geometry", true},
    {"qwindowgeometry", true}, {"qwindowtitle", true},    {"qwindowicon", true},
    {"title", true},        {"session", true},            {"style", true},
    {"stylesheet", true},   {"reverse", false},           {"widgetcount", false},
    {"nograb", false},      {"dograb", false},            {"sync", false},
};

// The option's name without its dashes and without an "=value" part.
QString optionName(const QString &arg, bool *hasInlineValue)
{
    QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
    const qsizetype eq = name.indexOf(u'=');
    *hasInlineValue = eq >= 0;
    return eq >= 0 ? name.left(eq) : name;
}

const QtOption *qtOption(const QString &name)
{
    for (const QtOption &o : kQtOptions)
        if (name == QLatin1String(o.name))
            return &o;
    return nullptr;
}
} // namespace

CommandLine readCommandLine(const QStringList &args)
{
    CommandLine line;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        // A lone "-" and anything without a leading dash is a file to open.
        if (arg.size() < 2 || !arg.startsWith(u'-'))
            continue;
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            line.action = CommandLine::Action::Help;
            return line;
        }
        if (arg == QLatin1String("--version") || arg == QLatin1String("-v")) {
            line.action = CommandLine::Action::Version;
            return line;
        }
        bool inlineValue = false;
        const QtOption *qt = qtOption(optionName(arg, &inlineValue));
        if (!qt || (inlineValue && !qt->takesValue)) {
            line.action = CommandLine::Action::Unknown;
            line.unknownOption = arg;
            return line;
        }
        // The value of "-style fusion" is no file name.
        if (qt->takesValue && !inlineValue)
            ++i;
    }
    return line;
}

QString commandLineHelp()
{
    return QStringLiteral(
        "Usage: liravo [OPTION]... [FILE]\n"
        "Play FILE (a music file, an M3U or PLS playlist or a .yyu song collection).\n"
        "When a copy is already running, FILE is handed to it and this one ends.\n"
        "\n"
        "  -h, --help       show this help and exit\n"
        "  -v, --version    show the version and exit\n"
        "\n"
        "Qt's own options are accepted too, e.g. -style NAME, -platform NAME,\n"
        "-stylesheet FILE, -reverse.\n"
        "\n"
        "Environment: LIRAVO_AO names the audio output (null, pulse, alsa, or any\n"
        "GStreamer sink). See liravo(1).\n");
}

QString commandLineVersion()
{
    return QStringLiteral("liravo %1\n").arg(QString::fromLatin1(kLiravoVersionText));
}

QString preferredPlatform(const QStringList &args, const QString &waylandDisplay,
                          const QString &display, const QString &qpaPlatform)
{
    if (!qpaPlatform.isEmpty() || waylandDisplay.isEmpty() || display.isEmpty())
        return {};
    for (qsizetype i = 1; i < args.size(); ++i) {
        bool inlineValue = false;
        if (args.at(i).startsWith(u'-') && optionName(args.at(i), &inlineValue) == u"platform")
            return {};
    }
    return QStringLiteral("xcb");
}

int answerCommandLine(int argc, char **argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = readCommandLine(args);
    switch (line.action) {
    case CommandLine::Action::Run:
        return -1;
    case CommandLine::Action::Help:
        std::cout << commandLineHelp().toLocal8Bit().constData() << std::flush;
        return std::cout.good() ? 0 : 1;
    case CommandLine::Action::Version:
        std::cout << commandLineVersion().toLocal8Bit().constData() << std::flush;
        return std::cout.good() ? 0 : 1;
    case CommandLine::Action::Unknown:
        std::cerr << "liravo: unknown option " << line.unknownOption.toLocal8Bit().constData()
                  << "\nTry 'liravo --help' for more information.\n";
        return 2;
    }
    return -1;
}

ApplicationArguments::ApplicationArguments(int argc, char **argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i) {
        args << QString::fromLocal8Bit(argv[i]);
        argv_.push_back(argv[i]);
    }
    platform_ = preferredPlatform(args, qEnvironmentVariable("WAYLAND_DISPLAY"),
                                  qEnvironmentVariable("DISPLAY"),
                                  qEnvironmentVariable("QT_QPA_PLATFORM"))
                    .toLatin1();
    if (!platform_.isEmpty()) {
        // Only this process: programs the player starts keep the desktop's choice.
        argv_.push_back(platformOption_.data());
        argv_.push_back(platform_.data());
    }
    argc_ = int(argv_.size());
    argv_.push_back(nullptr);
}
