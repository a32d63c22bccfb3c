#include "core/appcontext.h"

#include "core/settings.h"
#include "platform/mediaplayer.h"

void AppContext::playCurrent(int n)
{
    playEntry(current, n, *player, resolver, *settings);
}
