/* The numbers of the version resource. Plain C macros: the resource compiler reads this file too;
   its texts are in version_fields.def. */
#ifndef KT73B_VERSION_INFO_H
#define KT73B_VERSION_INFO_H

#define KT73B_VERSION_NUMBERS 1, 0, 0, 0
#define KT73B_VERSION_LANGUAGE 0x0411
#define KT73B_VERSION_CODE_PAGE 932

#endif
