// The list of mails as a grid of rows of one height, of which only those in
// view (and a few beside) are in the document, so that a log of any size
// scrolls as lightly as a short one. Moved through with the arrow keys, Home,
// End, Page Up and Page Down; Enter or a click opens the selected mail.
'use strict';

const kRowHeightPx = 28;
const kRowsBeyondView = 8;
const kGridColumns = ['日付', '差出人', '件名'];

class MailGrid {
  // grid: the element of role grid; open(mail) is called for the mail opened.
  constructor(grid, open) {
    this.grid = grid;
    this.open = open;
    this.mails = [];  // those shown, each {number, time, sender, subject}
    this.selected = -1;
    const head = document.createElement('div');
    head.setAttribute('role', 'rowgroup');
    head.className = 'grid-head';
    head.append(this.row(kGridColumns, 'columnheader', 1));
    this.body = document.createElement('div');
    this.body.setAttribute('role', 'rowgroup');
    this.body.className = 'grid-body';
    grid.replaceChildren(head, this.body);
    grid.addEventListener('scroll', () => this.render());
    grid.addEventListener('keydown', (event) => this.key(event));
    grid.addEventListener('click', (event) => {
      const row = event.target.closest('[role=row][data-position]');
      if (row) {
        this.select(Number(row.dataset.position));
        this.open(this.mails[this.selected]);
      }
    });
  }

  // Shows these mails, none selected, from the top.
  show(mails) {
    this.mails = mails;
    this.selected = -1;
    this.grid.removeAttribute('aria-activedescendant');
    this.grid.setAttribute('aria-rowcount', String(mails.length + 1));
    this.body.style.height = `${mails.length * kRowHeightPx}px`;
    this.grid.scrollTop = 0;
    this.render();
  }

  row(texts, cellRole, rowIndex) {
    const row = document.createElement('div');
    row.setAttribute('role', 'row');
    row.setAttribute('aria-rowindex', String(rowIndex));
    for (const text of texts) {
      const cell = document.createElement('span');
      cell.setAttribute('role', cellRole);
      cell.textContent = text;
      row.append(cell);
    }
    return row;
  }

  rowsInView() {
    return Math.max(1, Math.floor(this.grid.clientHeight / kRowHeightPx) - 1);
  }

  render() {
    const first = Math.max(0, Math.floor(this.grid.scrollTop / kRowHeightPx) - kRowsBeyondView);
    const end = Math.min(this.mails.length, first + this.rowsInView() + 2 * kRowsBeyondView + 2);
    const rows = [];
    for (let position = first; position < end; ++position) {
      const {time, sender, subject} = this.mails[position];
      const row = this.row([new Date(time * 1000).toLocaleString('ja-JP'), sender, subject],
                           'gridcell', position + 2);
      row.id = `mail-row-${position}`;
      row.dataset.position = String(position);
      row.setAttribute('aria-selected', String(position === this.selected));
      row.style.top = `${position * kRowHeightPx}px`;
      rows.push(row);
    }
    this.body.replaceChildren(...rows);
  }

  // Selects the mail at position, scrolled into view.
  select(position) {
    if (this.mails.length === 0) {
      return;
    }
    this.selected = Math.min(Math.max(position, 0), this.mails.length - 1);
    const top = this.selected * kRowHeightPx;
    const headHeight = this.body.offsetTop;
    if (top < this.grid.scrollTop) {
      this.grid.scrollTop = top;
    } else if (top + kRowHeightPx + headHeight > this.grid.scrollTop + this.grid.clientHeight) {
      this.grid.scrollTop = top + kRowHeightPx + headHeight - this.grid.clientHeight;
    }
    this.render();
    this.grid.setAttribute('aria-activedescendant', `mail-row-${this.selected}`);
  }

  key(event) {
    const moves = {
      ArrowDown: this.selected + 1,
      ArrowUp: this.selected - 1,
      PageDown: this.selected + this.rowsInView(),
      PageUp: this.selected - this.rowsInView(),
      Home: 0,
      End: this.mails.length - 1,
    };
    if (event.key in moves) {
      event.preventDefault();
      this.select(moves[event.key]);
    } else if (event.key === 'Enter' && this.selected >= 0) {
      event.preventDefault();
      this.open(this.mails[this.selected]);
    }
  }
}
