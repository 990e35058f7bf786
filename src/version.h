/* The tool's version, in one place: the banner of every install log, the
   Windows programs' version resource and the release package's name. Plain
   preprocessor definitions, so that the resource compiler reads them too. */
#ifndef VELSETUP_VERSION_H
#define VELSETUP_VERSION_H

#define VELSETUP_VERSION_MAJOR 2
#define VELSETUP_VERSION_MINOR 0
#define VELSETUP_VERSION_PATCH 5
#define VELSETUP_VERSION_TEXT "2.00.5"

#define VELSETUP_PRODUCT_NAME "Velmor Setup Utility"
#define VELSETUP_COMPANY_NAME "Velmor"

#endif
