/* The version the stand-in version component reports; the tests expect it. */
#pragma once

#define VQ_COMPONENT_MAJOR 2
#define VQ_COMPONENT_MINOR 3
#define VQ_COMPONENT_BUILD 4
#define VQ_COMPONENT_REVISION 5678
