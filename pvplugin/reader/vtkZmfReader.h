/**
 * @class vtkZmfReader
 * @brief reads the suite's mesh files (.zmf) as one unstructured grid
 *
 * Every drawing of the file (Drawing 0) or drawing N alone. The points of
 * each drawing follow those of the drawings before; the cell array
 * "drawing" gives each cell its drawing's number when more than one is
 * read, the point array "special" is 0 at the special nodes and -1
 * elsewhere, and the field data "header" and "label" hold the file's header
 * line and each drawing's line. CellTypes gives node counts other cell
 * types, as ppt-convert -n does ("4=tetra,8=hexahedron").
 *
 * In parallel each piece holds its share of each drawing's elements and the
 * nodes they use. A file that cannot be read gives one error naming the
 * file and the line, and an empty output.
 */
#ifndef vtkZmfReader_h
#define vtkZmfReader_h

#include "vtkUnstructuredGridAlgorithm.h"
#include "zmfreaderioModule.h"

class ZMFREADERIO_EXPORT vtkZmfReader : public vtkUnstructuredGridAlgorithm
{
public:
  static vtkZmfReader* New();
  vtkTypeMacro(vtkZmfReader, vtkUnstructuredGridAlgorithm);
  void PrintSelf(ostream& os, vtkIndent indent) override;

  vtkSetStringMacro(FileName);
  vtkGetStringMacro(FileName);

  /// The drawing read, from 1; 0 (the default) reads every drawing.
  vtkSetClampMacro(Drawing, int, 0, VTK_INT_MAX);
  vtkGetMacro(Drawing, int);

  /// Cell types for node counts, "COUNT=TYPE" apart by commas.
  vtkSetStringMacro(CellTypes);
  vtkGetStringMacro(CellTypes);

protected:
  vtkZmfReader();
  ~vtkZmfReader() override;

  int RequestInformation(vtkInformation*, vtkInformationVector**, vtkInformationVector*) override;
  int RequestData(vtkInformation*, vtkInformationVector**, vtkInformationVector*) override;

private:
  vtkZmfReader(const vtkZmfReader&) = delete;
  void operator=(const vtkZmfReader&) = delete;

  char* FileName = nullptr;
  int Drawing = 0;
  char* CellTypes = nullptr;
};

#endif
