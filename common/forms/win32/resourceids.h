/* Resource numbers shared by the programs' resource scripts and their
 * tests.  Plain preprocessor definitions, so that windres reads them too.
 * Icons go by the names the window tables give them. */
#ifndef QUILLON_RESOURCEIDS_H
#define QUILLON_RESOURCEIDS_H

/* The programs' manifest: the one Windows reads when it starts a program
 * (CREATEPROCESS_MANIFEST_RESOURCE_ID, type RT_MANIFEST). */
#define QUILLON_MANIFEST 1
#define QUILLON_RT_MANIFEST 24

#endif
