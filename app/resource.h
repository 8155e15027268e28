// Resource ids of the executable, shared by its .rc and the windows that load them.
#pragma once

#define IDI_APP 1
