#ifndef QUORVEL_APP_VERSION_H
#define QUORVEL_APP_VERSION_H
/* The program's version and identity, in one place: the version resource, the
   About page and the installer all take them from here. Plain macros, because
   the resource compiler reads this file too. */

#define QUORVEL_VERSION_MAJOR 1
#define QUORVEL_VERSION_MINOR 0
#define QUORVEL_VERSION_PATCH 0
#define QUORVEL_VERSION_BUILD 0

#define QUORVEL_STRINGIFY_(x) #x
#define QUORVEL_STRINGIFY(x) QUORVEL_STRINGIFY_(x)
/* "1.0.0": what users see. Built from the numbers above so it cannot drift. */
#define QUORVEL_VERSION_TEXT                                                 \
  QUORVEL_STRINGIFY(QUORVEL_VERSION_MAJOR) "." QUORVEL_STRINGIFY(QUORVEL_VERSION_MINOR) "." \
  QUORVEL_STRINGIFY(QUORVEL_VERSION_PATCH)

#define QUORVEL_PRODUCT_NAME "Quorvel"
#define QUORVEL_COMPANY_NAME "Quorvel Software (quorvel.example.com)"
#define QUORVEL_COPYRIGHT "Copyright (C) 2026 Quorvel Software, quorvel.example.com"
#define QUORVEL_FILE_DESCRIPTION "Quorvel memory optimizer and system monitor"

#endif
