// Registers the program's dialogs, icons and strings with the framework; once, at start-up.
#pragma once

void RegisterTessalyResources();
