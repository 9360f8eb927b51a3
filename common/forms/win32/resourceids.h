/* Resource numbers shared by the programs' resource scripts and the Win32
 * toolkit.  Plain preprocessor definitions, so that windres reads them too. */
#ifndef QUILLON_RESOURCEIDS_H
#define QUILLON_RESOURCEIDS_H

/* The program's own icon (32 x 32); the lowest number, so that Explorer
 * shows it for the .exe. */
#define QUILLON_IDI_PROGRAM 1
/* The 16 x 16 icon of Crier's file picker. */
#define QUILLON_IDI_FILEPICKER 2

/* The programs' manifest: the one Windows reads when it starts a program
 * (CREATEPROCESS_MANIFEST_RESOURCE_ID, type RT_MANIFEST). */
#define QUILLON_MANIFEST 1
#define QUILLON_RT_MANIFEST 24

#endif
