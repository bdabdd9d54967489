#ifndef MVPDFRENDER_GLOBAL_H
#define MVPDFRENDER_GLOBAL_H

/**
 * \file mvpdfrender_global.h
 * The export macro of the library's classes.
 */

#include <QtCore/qglobal.h>

/**
 * \def MVPDFRENDER_EXPORT
 * Marks a class of the library's interface: exported when the library is built, imported by
 * hosts.
 */
#if defined(MVPDFRENDER_LIBRARY)
#  define MVPDFRENDER_EXPORT Q_DECL_EXPORT
#else
#  define MVPDFRENDER_EXPORT Q_DECL_IMPORT
#endif

#endif // MVPDFRENDER_GLOBAL_H
