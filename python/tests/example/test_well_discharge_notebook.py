"""The example notebook examples/python/well_discharge.ipynb, executed as a user's Jupyter runs it (ctest:
python_example): every cell without error, both figures drawn inline, one run per discharge."""
import os

import nbformat
from nbclient import NotebookClient

REPOSITORY = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
NOTEBOOK = os.path.join(REPOSITORY, "examples", "python", "well_discharge.ipynb")


def test_the_notebook_runs_and_draws_the_bed_change(tmp_path, monkeypatch):
    # The kernel's own inline backend, whatever the caller's; Jupyter's and IPython's files in the scratch folder.
    monkeypatch.delenv("MPLBACKEND", raising=False)
    monkeypatch.setenv("IPYTHONDIR", str(tmp_path / "ipython"))
    monkeypatch.setenv("JUPYTER_RUNTIME_DIR", str(tmp_path / "runtime"))
    notebook = nbformat.read(NOTEBOOK, as_version=4)
    assert all(not cell.get("outputs") for cell in notebook.cells if cell.cell_type == "code"), \
        "the notebook is stored without outputs"
    before = sorted(os.listdir(os.path.dirname(NOTEBOOK)))
    NotebookClient(notebook, timeout=600, kernel_name="python3",
                   resources={"metadata": {"path": os.path.dirname(NOTEBOOK)}}).execute()
    outputs = [output for cell in notebook.cells if cell.cell_type == "code" for output in cell.outputs]
    images = [output for output in outputs if "image/png" in output.get("data", {})]
    assert len(images) == 2
    printed = "".join(output.get("text", "") for output in outputs if output.output_type == "stream")
    for q in ("0", "0.0008", "0.0016"):
        assert f"Q_WELL = {q} m2/s: 12 profile records" in printed
    # The runs leave nothing beside the notebook.
    assert sorted(os.listdir(os.path.dirname(NOTEBOOK))) == before
