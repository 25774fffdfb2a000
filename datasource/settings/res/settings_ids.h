// String ids of the scan settings: value-list labels, the standard paper
// sizes, the range message and the per-unit length limits.
#pragma once

#define IDS_USER_FOLDER 36  // two-level folder below the documents folder

#define IDS_PAPERSIZE_FIRST 330  // "width height" in mm for size code 3; code n at 330 + n - 3
#define IDS_MSG_RANGE 453        // "%s から %s の数値を設定してください。"

// Value-list labels.
#define IDS_COLOR_FULL 2101
#define IDS_COLOR_GRAY 2102
#define IDS_COLOR_BW 2103
#define IDS_RES_200 2201
#define IDS_RES_300 2202
#define IDS_RES_400 2203
#define IDS_RES_600 2204
#define IDS_SIZE_AUTO 2301
#define IDS_SIZE_FIRST 2302  // labels of size codes 3..28, in code order
#define IDS_SIZE_CUSTOM 2328
#define IDS_FACE_SIMPLEX 2501
#define IDS_FACE_DUPLEX_LR 2502
#define IDS_FACE_DUPLEX_TB 2503
#define IDS_MIX_OFF 2601
#define IDS_MIX_ON 2602
#define IDS_DENSITY_FIRST 3101  // seven labels, lightest first
#define IDS_CONTRAST_FIRST 3201
#define IDS_SATURATION_FIRST 3301
#define IDS_SHARPNESS_FIRST 3401
#define IDS_IMAGEMODE_TEXTPHOTO 3501
#define IDS_IMAGEMODE_TEXT 3502
#define IDS_IMAGEMODE_PHOTO 3503
#define IDS_BACKGROUND_OFF 3601
#define IDS_BACKGROUND_ON 3602
#define IDS_BLEEDTHROUGH_OFF 3701
#define IDS_BLEEDTHROUGH_ON 3702
#define IDS_PHOTOPAPER_OFF 3801
#define IDS_PHOTOPAPER_ON 3802
#define IDS_MAG_100 4110
#define IDS_MAG_FIXED 4120
#define IDS_MAG_FIXED_FIRST 4121  // seven preset ratios
#define IDS_MAG_ZOOM 4130
#define IDS_MAG_AUTO 4140
#define IDS_FORMAT_FIRST 5101     // five output formats
#define IDS_MONO_FIRST 5211       // three two-level compressions
#define IDS_COLORCOMP_FIRST 5221  // five grey/colour compressions
#define IDS_ENCODE_ASCII 5301
#define IDS_ENCODE_BINARY 5302
#define IDS_CORRECTION_OFF 5401
#define IDS_CORRECTION_ON 5402

// Length limits. Range label formats, one per display unit (mm, inch, pt, Q).
#define IDS_LIMIT_FORMAT_FIRST 7010
#define IDS_LIMIT_ZOOM_FORMAT 7020
#define IDS_LIMIT_ZOOM_MIN 7021
#define IDS_LIMIT_ZOOM_MAX 7022
#define IDS_LIMIT_ZOOM_DEFAULT 7023
// Minimum, maximum and default of each limited length: base + unit * 10 + {0, 1, 2}.
#define IDS_LIMIT_HEIGHT_BASE 7100
#define IDS_LIMIT_WIDTH_BASE 7200
#define IDS_LIMIT_EDGE_BASE 7300
