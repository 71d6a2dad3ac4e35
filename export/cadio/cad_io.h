/* The CAD drawing library: one in-memory drawing per handle with its tables (line types, layers, text
 * and dimension styles), blocks and entities, written to and read from DXF (R12). Loaded at run time by
 * the program (dlopen), so this header is plain C and every entry point is looked up by name.
 *
 * Handles are non-zero 64-bit numbers; 0 means none or failure. Texts are UTF-8, zero-terminated. Every
 * entry point checks its handles and pointers and fails (0) instead of crashing on bad ones. A drawing may
 * be used from one thread at a time; different drawings from different threads. */
#ifndef LUMIVEX_CAD_IO_H
#define LUMIVEX_CAD_IO_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define CADIO_API __attribute__((visibility("default")))
#else
#define CADIO_API
#endif

typedef uint64_t CADHANDLE;

/* Table kinds. */
#define CAD_TABLE_STYLE 4
#define CAD_TABLE_LAYER 8
#define CAD_TABLE_LTYPE 16
#define CAD_TABLE_DIMSTYLE 32

/* Find modes: the first or next object of a kind, one by its handle, one by its name. */
#define CAD_FIND_FIRST 1
#define CAD_FIND_NEXT 2
#define CAD_FIND_BYHANDLE 256
#define CAD_FIND_BYNAME 512

/* Entity kinds. */
#define CAD_ENT_LINE 1
#define CAD_ENT_CIRCLE 3
#define CAD_ENT_POLYLINE 19

/* Colours are AutoCAD colour indices 1..255; 0 is by block, 256 by layer. */
#define CAD_COLOR_BYBLOCK 0
#define CAD_COLOR_BYLAYER 256

/* Polyline flags. */
#define CAD_POLYLINE_CLOSED 1

#define CAD_NAME_SIZE 64
#define CAD_TEXT_SIZE 256
#define CAD_MAX_DASHES 12

typedef struct CadLineType {
  CADHANDLE handle; /* filled by the library */
  char name[CAD_NAME_SIZE];
  char description[CAD_TEXT_SIZE];
  int dashCount;                 /* 0 for a solid line */
  double dashes[CAD_MAX_DASHES]; /* positive: dash, negative: gap, 0: dot */
} CadLineType;

typedef struct CadLayer {
  CADHANDLE handle;
  char name[CAD_NAME_SIZE];
  int color;          /* 1..255 */
  CADHANDLE lineType; /* 0: "Continuous" */
  int flags;          /* 1 frozen, 4 locked */
  int off;            /* non-zero: not shown */
} CadLayer;

typedef struct CadTextStyle {
  CADHANDLE handle;
  char name[CAD_NAME_SIZE];
  char fontFile[CAD_TEXT_SIZE];
  double height; /* 0: chosen per text */
  double widthFactor;
} CadTextStyle;

typedef struct CadDimStyle {
  CADHANDLE handle;
  char name[CAD_NAME_SIZE];
  double arrowSize;
  double extensionBeyond;
  double extensionOffset;
  double textGap;
  double textHeight;
} CadDimStyle;

typedef struct CadBlock {
  CADHANDLE handle;
  char name[CAD_NAME_SIZE];
  double baseX;
  double baseY;
} CadBlock;

/* Passed with every entity. handle is filled by the library on add and names the entity on change. */
typedef struct CadEntityHeader {
  int kind;
  CADHANDLE handle;
  CADHANDLE layer;    /* 0: layer "0" */
  CADHANDLE lineType; /* 0: by layer */
  int color;
  double thickness;
  double lineTypeScale;
} CadEntityHeader;

typedef struct CadLine {
  double x1, y1, x2, y2;
} CadLine;

typedef struct CadCircle {
  double cx, cy, radius;
} CadCircle;

typedef struct CadVertex {
  double x, y;
} CadVertex;

/* On add and change, vertices holds count vertices. On find, vertices may be a buffer of count
 * vertices (or null); count receives the polyline's vertex count and at most the buffer's size is
 * copied. */
typedef struct CadPolyline {
  CadVertex* vertices;
  int count;
  int flags;
} CadPolyline;

/* The view a drawing is painted into: drawing units per pixel, the drawing point shown at the view's
 * lower-left pixel, and the view's size in pixels. units is the DXF insertion-unit code the drawing is
 * measured in (0 none, 1 inch, 4 mm, 5 cm, 9 mil), written to the file's header. */
typedef struct CadViewProperties {
  double unitsPerPixel;
  double originX;
  double originY;
  int width;
  int height;
  int units;
  uint32_t background; /* 0xAARRGGBB */
} CadViewProperties;

typedef struct CadRect {
  double left, bottom, right, top;
} CadRect;

/* Progress of a save or load in percent; a zero result asks to stop. May be null. */
typedef int (*CadProgress)(int percent, void* context);

CADIO_API CADHANDLE drwCreate(void);
CADIO_API int drwDestroy(CADHANDLE drawing);

/* record points to the structure of the table kind (CadLineType, CadLayer, CadTextStyle, CadDimStyle).
 * Names are unique per table (case-insensitive), printable ASCII (R12 readers decode names in an 8-bit
 * code page) and may not hold <>/\":;?*|=`. Other texts may be any UTF-8 and are written as \U+XXXX. */
CADIO_API CADHANDLE drwAddTableType(CADHANDLE drawing, int table, void* record);
CADIO_API int drwDeleteTableType(CADHANDLE drawing, int table, CADHANDLE object);
/* mode CAD_FIND_BYNAME reads record's name, CAD_FIND_BYHANDLE its handle; FIRST/NEXT walk the table.
 * The found record is copied into record. */
CADIO_API CADHANDLE drwFindTableType(CADHANDLE drawing, int table, int mode, void* record);

CADIO_API CADHANDLE drwAddBlock(CADHANDLE drawing, CadBlock* block);
CADIO_API int drwDeleteBlock(CADHANDLE drawing, CADHANDLE block);
CADIO_API CADHANDLE drwFindBlock(CADHANDLE drawing, int mode, CadBlock* block);

/* block 0 adds to the drawing's entities, otherwise to that block. data points to CadLine, CadCircle or
 * CadPolyline by header->kind. Non-finite numbers, a radius <= 0 and polylines of fewer than two
 * vertices are refused. */
CADIO_API CADHANDLE drwAddEntity(CADHANDLE drawing, CADHANDLE block, CadEntityHeader* header, const void* data);
CADIO_API int drwDeleteEntity(CADHANDLE drawing, CADHANDLE entity);
/* Replaces the entity named by header->handle (its kind may change). */
CADIO_API int drwChangeEntity(CADHANDLE drawing, CadEntityHeader* header, const void* data);
/* mode FIRST/NEXT walk the entities of block (0: the drawing's), BYHANDLE reads header->handle. header
 * and data receive the entity; data may be null. */
CADIO_API CADHANDLE drwFindEntity(CADHANDLE drawing, CADHANDLE block, int mode, CadEntityHeader* header, void* data);

/* Writes the drawing to path as DXF R12. Returns 1 when the whole file was written. */
CADIO_API int drwSaveDataToFile(CADHANDLE drawing, int flags, const char* path, CadProgress progress, void* context);
/* Replaces the drawing's content by the DXF file at path. Returns 1 on success; on failure the drawing
 * is left as it was. */
CADIO_API int drwLoadDataFromFile(CADHANDLE drawing, int flags, const char* path, CadProgress progress, void* context);

/* Sets the view's size in pixels and shows the whole drawing. */
CADIO_API int drwInitView(CADHANDLE drawing, int width, int height);
/* Paints the view into 32-bit 0xAARRGGBB pixels, top row first, stride in bytes. */
CADIO_API int drwPaint(CADHANDLE drawing, uint32_t* pixels, int width, int height, int stride);
CADIO_API int drwGetViewProperties(CADHANDLE drawing, CadViewProperties* properties);
CADIO_API int drwSetViewProperties(CADHANDLE drawing, const CadViewProperties* properties);
/* The bounding box of the drawing's entities; 0 when it has none. */
CADIO_API int drwGetDrawingBorder(CADHANDLE drawing, CadRect* border);
/* Fits the view to the drawing border. */
CADIO_API int drwZoomExtents(CADHANDLE drawing);

#ifdef __cplusplus
}
#endif

#endif
